// The web host's sound (web_audio.cpp, web_bridge.h): the subset's finished mix, 16-bit
// samples at 44100 Hz, played by Web Audio. Each frame of the game's loop the host asks
// how many sample frames top the output's ring up to a short target, and hands them over;
// an AudioWorklet plays them from its ring on the browser's audio thread (a
// ScriptProcessor on the page's own thread where a page has no worklets, as one served
// from an address that is not secure). A page may make sound only after the player's
// first click or key press: until then, and whenever the output is not running, the
// samples are taken as they fall due on the page's clock and dropped, so the game never
// waits and the sound, once heard, is that of the moment. Linked into muffins.js with
// --js-library, written as web_bridge.js is; the page (page/page.js) is told the output's
// state and counts.
mergeInto(LibraryManager.library, {
    $TolvoAudio__deps: ['$TolvoWeb'],
    $TolvoAudio: {
        // The ring's level after each frame's top-up: two frames of a 60 Hz display and a
        // little, so that one late frame does not run it dry. A sound waits for what is
        // queued before it and the browser's own output latency. Each time the ring runs dry
        // all the same (a slow machine) the target grows a little, up to the most.
        TARGET_MS: 40,
        GROW_MS: 5,
        MOST_MS: 120,
        // What the ring holds at most; more is dropped (not reached while the level keeps
        // near the target).
        RING_MS: 500,
        // The fallback's buffer, in frames of the context (23 ms at 44100 Hz).
        SCRIPT_FRAMES: 1024,
        // The worklet reports what it played every this many blocks of 128 frames (12 ms).
        REPORT_BLOCKS: 4,
        // Delays from queueing to hearing kept for the page (the most recent ones).
        LATENCIES: 600,
        // What the player's clicks and keys are heard on.
        PLAYER_EVENTS: ['keydown', 'mousedown', 'pointerdown', 'touchend'],

        context: null,
        output: null, // the AudioWorkletNode or ScriptProcessorNode, once it can play
        ring: null,   // the fallback's ring (the worklet has its own)
        rate: 44100,  // the samples' frames a second
        channels: 2,
        step: 1,     // samples' frames per frame of the context
        target: 0,   // frames
        sent: 0,     // frames handed to the worklet
        heard: null, // the worklet's last report
        underruns: 0,
        virtualLevel: 0, // while nothing plays: frames taken and not yet due
        virtualTime: 0,
        nextChunk: 1,
        posted: null,         // chunk id -> performance.now() when it was handed over
        resume: null,         // the listener of the player's clicks and keys
        visibility: null,     // the listener of the page being hidden and shown
        hiddenPlaying: false, // suspended because the page was hidden while playing
        stats: null,

        // The ring both outputs play from. In: 16-bit samples, channels interleaved. Out: a
        // float per frame and channel at the context's rate, resampled linearly where the two
        // rates differ. It counts what it played, dropped and ran short of, and when each
        // chunk began to play. Self-contained: the worklet is given its text.
        makeRing: (capacity, channels, step) => {
            const left = new Float32Array(capacity);
            const right = new Float32Array(capacity);
            const ring = {
                written: 0,   // frames ever stored
                read: 0,      // frames ever played (whole ones)
                fraction: 0,  // the way from frame `read` to the next
                dropped: 0,   // frames that did not fit
                underruns: 0, // times it ran dry after sound had begun
                dry: true,
                peak: 0,    // largest magnitude played since the last report
                starts: [], // [frame, chunk id] of chunks not yet begun
                // [chunk id, frame of the context] of chunks begun since the last report
                begun: [],
            };
            ring.push = (samples, id) => {
                const frames = Math.floor(samples.length / channels);
                const room = capacity - (ring.written - ring.read);
                const keep = Math.max(0, Math.min(frames, room));
                ring.dropped += frames - keep;
                if (keep > 0 && id) {
                    ring.starts.push([ring.written, id]);
                }
                for (let i = 0; i < keep; i++) {
                    const at = (ring.written + i) % capacity;
                    const sample = samples[i * channels] / 32768;
                    left[at] = sample;
                    right[at] = channels > 1 ? samples[i * channels + 1] / 32768 : sample;
                }
                ring.written += keep;
                if (keep > 0) {
                    ring.dry = false;
                }
                return keep;
            };
            // `count` frames into outLeft and outRight (null for a mono output), the first of
            // them the context's frame `frame`.
            ring.pull = (outLeft, outRight, count, frame) => {
                let short = false;
                let peak = ring.peak;
                for (let i = 0; i < count; i++) {
                    const level = ring.written - ring.read;
                    if (level < 1) {
                        outLeft[i] = 0;
                        if (outRight) {
                            outRight[i] = 0;
                        }
                        short = true;
                        continue;
                    }
                    while (ring.starts.length && ring.starts[0][0] <= ring.read) {
                        ring.begun.push([ring.starts[0][1], frame + i]);
                        ring.starts.shift();
                    }
                    const a = ring.read % capacity;
                    const b = level > 1 ? (ring.read + 1) % capacity : a;
                    const f = ring.fraction;
                    const l = left[a] + (left[b] - left[a]) * f;
                    const r = right[a] + (right[b] - right[a]) * f;
                    if (outRight) {
                        outLeft[i] = l;
                        outRight[i] = r;
                    } else {
                        outLeft[i] = (l + r) / 2;
                    }
                    peak = Math.max(peak, l < 0 ? -l : l, r < 0 ? -r : r);
                    ring.fraction += step;
                    const whole = Math.floor(ring.fraction);
                    ring.fraction -= whole;
                    ring.read = Math.min(ring.read + whole, ring.written);
                }
                ring.peak = peak;
                if (short && !ring.dry) {
                    ring.dry = true;
                    if (ring.written > 0) {
                        ring.underruns++;
                    }
                }
            };
            // What was played up to the context's frame `frame`, for the page's thread.
            ring.report = (frame) => {
                const report = {
                    played: ring.read,
                    dropped: ring.dropped,
                    underruns: ring.underruns,
                    peak: ring.peak,
                    begun: ring.begun,
                    frame,
                };
                ring.peak = 0;
                ring.begun = [];
                return report;
            };
            return ring;
        },

        // The worklet's code, run on the audio thread: a processor playing from its ring,
        // fed and reporting through its port.
        workletSource: () => {
            const main = (makeRing, reportBlocks) => {
                class TolvoAudioProcessor extends AudioWorkletProcessor {
                    constructor(options) {
                        super();
                        const settings = options.processorOptions;
                        this.ring = makeRing(settings.capacity, settings.channels, settings.step);
                        this.blocks = 0;
                        this.open = true;
                        this.port.onmessage = (event) => {
                            if (event.data.samples) {
                                this.ring.push(event.data.samples, event.data.id);
                            } else if (event.data.close) {
                                this.open = false;
                            }
                        };
                    }
                    process(inputs, outputs) {
                        const out = outputs[0];
                        if (out && out.length) {
                            const frames = out[0].length;
                            this.ring.pull(out[0], out.length > 1 ? out[1] : null, frames,
                                           currentFrame);
                            if (++this.blocks % reportBlocks == 0) {
                                this.port.postMessage(this.ring.report(currentFrame + frames));
                            }
                        }
                        return this.open;
                    }
                }
                registerProcessor('tolvo-audio', TolvoAudioProcessor);
            };
            return `(${main})(${TolvoAudio.makeRing}, ${TolvoAudio.REPORT_BLOCKS});\n`;
        },

        // The page's view of the sound, updated as it changes.
        tell: () => {
            const page = TolvoWeb.page();
            page['audio'] && page['audio'](TolvoAudio.stats);
        },

        open: (rate, channels) => {
            const Context = typeof AudioContext != 'undefined'         ? AudioContext
                            : typeof webkitAudioContext != 'undefined' ? webkitAudioContext
                                                                       : null;
            if (!Context || !(rate > 0) || (channels != 1 && channels != 2)) {
                return false;
            }
            // An iPhone plays a page's sound through its silent switch only when the page
            // says it plays media, before its sound starts.
            if (navigator.audioSession) {
                try {
                    navigator.audioSession.type = 'playback';
                } catch (error) {
                }
            }
            let context = null;
            try {
                // At the samples' own rate where the browser can (it converts for the device);
                // otherwise at the device's, and the ring converts.
                context = new Context({sampleRate: rate, latencyHint: 'interactive'});
            } catch (error) {
                try {
                    context = new Context();
                } catch (again) {
                    return false;
                }
            }
            const audio = TolvoAudio;
            audio.context = context;
            audio.output = null;
            audio.ring = null;
            audio.rate = rate;
            audio.channels = channels;
            audio.step = rate / context.sampleRate;
            audio.target = Math.round(rate * audio.TARGET_MS / 1000);
            audio.sent = 0;
            audio.heard = {played: 0, dropped: 0, underruns: 0, frame: 0};
            audio.underruns = 0;
            audio.virtualLevel = 0;
            audio.virtualTime = performance.now();
            audio.posted = new Map();
            audio.stats = {
                // The context's: suspended until the player's first click or key.
                state: context.state,
                output: '', // worklet or script-processor, once it can play
                contextRate: context.sampleRate,
                targetMs: audio.TARGET_MS,
                sent: 0,       // frames handed to the output
                played: 0,     // frames the output played
                dropped: 0,    // frames dropped: nothing playing, or no room in the ring
                underruns: 0,  // times the ring ran dry after sound had begun
                peak: 0,       // the largest magnitude played, 0 to 1
                recentPeak: 0, // the same since the page last set it to 0
                latencies: [], // milliseconds from handing a chunk over to hearing it
                baseLatency: context.baseLatency || 0,
                outputLatency: context.outputLatency || 0,
            };
            context.onstatechange = () => {
                if (audio.context === context) {
                    audio.stats.state = context.state;
                    audio.stats.outputLatency = context.outputLatency || 0;
                    audio.tell();
                }
            };
            // The browser's rule: the first click, key press or tap of the player starts the
            // sound; a later one starts it again where the browser stopped it (Safari's
            // 'interrupted', after a call or another app's sound, is such a stop).
            audio.resume = () => {
                if (audio.context === context && context.state != 'running' &&
                    context.state != 'closed') {
                    const resumed = context.resume();
                    if (resumed && resumed.catch) {
                        resumed.catch(() => {});
                    }
                }
            };
            audio.PLAYER_EVENTS.forEach((type) => {
                document.addEventListener(type, audio.resume, true);
            });
            // While the page is hidden the game is held (web_bridge.js whenShown) and quiet:
            // the context is suspended, and resumed when the page is shown if it played.
            audio.hiddenPlaying = false;
            audio.visibility = () => {
                if (audio.context !== context) {
                    return;
                }
                if (document.hidden) {
                    if (context.state == 'running') {
                        audio.hiddenPlaying = true;
                        const suspended = context.suspend();
                        if (suspended && suspended.catch) {
                            suspended.catch(() => {});
                        }
                    }
                } else if (audio.hiddenPlaying) {
                    // After the suspension, even one still under way.
                    audio.hiddenPlaying = false;
                    const resumed = context.resume();
                    if (resumed && resumed.catch) {
                        resumed.catch(() => {});
                    }
                }
            };
            document.addEventListener('visibilitychange', audio.visibility);
            if (navigator.userActivation && navigator.userActivation.hasBeenActive) {
                audio.resume(); // the player has already clicked or pressed a key on this page
            }
            audio.startWorklet(context);
            audio.tell();
            return true;
        },

        startWorklet: (context) => {
            const audio = TolvoAudio;
            if (!context.audioWorklet || typeof AudioWorkletNode == 'undefined') {
                audio.startScript(context);
                return;
            }
            const source = new Blob([audio.workletSource()], {type: 'text/javascript'});
            const url = URL.createObjectURL(source);
            context.audioWorklet.addModule(url)
                .then(() => {
                    URL.revokeObjectURL(url);
                    if (audio.context !== context) {
                        return; // closed meanwhile
                    }
                    const capacity = Math.round(audio.rate * audio.RING_MS / 1000);
                    const node = new AudioWorkletNode(context, 'tolvo-audio', {
                        numberOfInputs: 0,
                        numberOfOutputs: 1,
                        outputChannelCount: [2],
                        processorOptions: {capacity, channels: audio.channels, step: audio.step},
                    });
                    node.port.onmessage = (event) => {
                        if (audio.context === context) {
                            audio.noteReport(event.data);
                        }
                    };
                    node.onprocessorerror = () => {
                        if (audio.output === node) {
                            audio.output = null; // silent from now on; the game goes on
                            audio.stats.output = 'failed';
                            audio.tell();
                        }
                    };
                    node.connect(context.destination);
                    audio.heard.frame = Math.round(context.currentTime * context.sampleRate);
                    audio.output = node;
                    audio.stats.output = 'worklet';
                    audio.tell();
                })
                .catch(() => {
                    URL.revokeObjectURL(url);
                    if (audio.context === context) {
                        audio.startScript(context);
                    }
                });
        },

        // The fallback: the page's own thread fills the context's buffers from its ring.
        startScript: (context) => {
            const audio = TolvoAudio;
            if (!context.createScriptProcessor) {
                audio.stats.output = 'none';
                audio.tell();
                return;
            }
            const capacity = Math.round(audio.rate * audio.RING_MS / 1000);
            const ring = audio.makeRing(capacity, audio.channels, audio.step);
            const node = context.createScriptProcessor(audio.SCRIPT_FRAMES, 0, 2);
            node.onaudioprocess = (event) => {
                const out = event.outputBuffer;
                const frame = Math.round(event.playbackTime * context.sampleRate);
                const right = out.numberOfChannels > 1 ? out.getChannelData(1) : null;
                ring.pull(out.getChannelData(0), right, out.length, frame);
                if (audio.context === context) {
                    audio.noteReport(ring.report(frame + out.length));
                }
            };
            node.connect(context.destination);
            audio.ring = ring;
            audio.output = node;
            audio.stats.output = 'script-processor';
            audio.tell();
        },

        playing: () => !!TolvoAudio.output && TolvoAudio.context.state == 'running',

        // Frames queued and not yet played.
        level: () => {
            const audio = TolvoAudio;
            if (!audio.playing()) {
                // Nothing plays: what was taken falls due on the page's clock.
                const now = performance.now();
                const due = (now - audio.virtualTime) * audio.rate / 1000;
                audio.virtualLevel = Math.max(0, audio.virtualLevel - due);
                audio.virtualTime = now;
                return audio.virtualLevel;
            }
            if (audio.ring) {
                return audio.ring.written - audio.ring.read;
            }
            // The worklet's last report, and what the context has played since.
            const context = audio.context;
            const heard = audio.heard;
            const since =
                Math.max(0, context.currentTime * context.sampleRate - heard.frame) * audio.step;
            return Math.max(0, audio.sent - heard.dropped - heard.played - since);
        },

        wanted: () => {
            const level = TolvoAudio.level();
            return level < TolvoAudio.target ? Math.ceil(TolvoAudio.target - level) : 0;
        },

        // `samples` lies in the program's memory: copied before it is handed over.
        queue: (samples, frames) => {
            const audio = TolvoAudio;
            const stats = audio.stats;
            if (!audio.playing()) {
                audio.virtualLevel += frames;
                stats.dropped += frames;
                return;
            }
            const id = audio.nextChunk++;
            audio.posted.set(id, performance.now());
            if (audio.ring) {
                const kept = audio.ring.push(samples, id);
                stats.dropped += frames - kept;
                stats.sent += kept;
                return;
            }
            const copy = samples.slice();
            try {
                audio.output.port.postMessage({samples: copy, id}, [copy.buffer]);
            } catch (error) {
                audio.output = null; // the output is gone: silent, and the game goes on
                stats.output = 'failed';
                audio.tell();
                return;
            }
            audio.sent += frames;
            stats.sent = audio.sent;
        },

        // The context's time `time` (seconds) as the page's performance.now() when it is heard.
        heardAt: (time) => {
            const context = TolvoAudio.context;
            const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
            if (stamp && stamp.performanceTime > 0) {
                return stamp.performanceTime + (time - stamp.contextTime) * 1000;
            }
            const latency = (context.baseLatency || 0) + (context.outputLatency || 0);
            return performance.now() + (time - context.currentTime + latency) * 1000;
        },

        noteReport: (report) => {
            const audio = TolvoAudio;
            const stats = audio.stats;
            if (!audio.ring) {
                stats.dropped += report.dropped - audio.heard.dropped;
            }
            audio.heard = report;
            stats.played = report.played;
            stats.peak = Math.max(stats.peak, report.peak);
            stats.recentPeak = Math.max(stats.recentPeak, report.peak);
            if (report.underruns > audio.underruns) {
                audio.underruns = report.underruns;
                stats.underruns = report.underruns;
                const most = Math.round(audio.rate * audio.MOST_MS / 1000);
                const grown = audio.target + Math.round(audio.rate * audio.GROW_MS / 1000);
                audio.target = Math.min(most, grown);
                stats.targetMs = Math.round(audio.target * 1000 / audio.rate);
            }
            const rate = audio.context.sampleRate;
            let last = 0;
            report.begun.forEach((entry) => {
                const posted = audio.posted.get(entry[0]);
                if (posted !== undefined) {
                    stats.latencies.push(audio.heardAt(entry[1] / rate) - posted);
                }
                last = entry[0];
            });
            if (stats.latencies.length > audio.LATENCIES) {
                stats.latencies.splice(0, stats.latencies.length - audio.LATENCIES);
            }
            // Chunks up to the last begun are done with (those dropped never begin).
            if (last) {
                audio.posted.forEach((_, id) => {
                    if (id <= last) {
                        audio.posted.delete(id);
                    }
                });
            }
        },

        close: () => {
            const audio = TolvoAudio;
            const context = audio.context;
            if (!context) {
                return;
            }
            audio.context = null;
            const output = audio.output;
            audio.output = null;
            audio.ring = null;
            if (output) {
                if (output.port) {
                    output.port.postMessage({close: true});
                }
                output.onaudioprocess = null;
                output.disconnect();
            }
            audio.PLAYER_EVENTS.forEach((type) => {
                document.removeEventListener(type, audio.resume, true);
            });
            document.removeEventListener('visibilitychange', audio.visibility);
            context.onstatechange = null;
            const closed = context.close && context.close();
            if (closed && closed.catch) {
                closed.catch(() => {});
            }
            audio.stats.state = 'closed';
            audio.tell();
        },
    },

    tolvo_web_audio_open__deps: ['$TolvoAudio'],
    tolvo_web_audio_open: function(rate, channels) {
        try {
            return TolvoAudio.open(rate, channels) ? 1 : 0;
        } catch (error) {
            console.warn(`web: no sound: ${error}`);
            TolvoAudio.context = null;
            return 0;
        }
    },

    tolvo_web_audio_wanted__deps: ['$TolvoAudio'],
    tolvo_web_audio_wanted: function() {
        return TolvoAudio.context ? TolvoAudio.wanted() : 0;
    },

    tolvo_web_audio_queue__deps: ['$TolvoAudio'],
    tolvo_web_audio_queue: function(samples, frames) {
        if (TolvoAudio.context) {
            const first = samples >> 1;
            TolvoAudio.queue(HEAP16.subarray(first, first + frames * TolvoAudio.channels), frames);
        }
    },

    tolvo_web_audio_close__deps: ['$TolvoAudio'],
    tolvo_web_audio_close: function() {
        TolvoAudio.close();
    },
});
