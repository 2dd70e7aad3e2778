// The web host's sound (web_audio.js) against a simulated browser: the ring the outputs
// play from, the worklet's processor on a simulated audio thread, the fallback where a
// page has no worklets, and how much the host asks the game to mix: topped up to the
// target while the output plays, taken on the page's clock and dropped while it may not
// (before the player's first click or key), never more than the ring can hold.
//
//   node --test tests/engine/platform/hosts/web/audio.test.js
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

const LIBRARY = path.join(__dirname, '..', '..', '..', '..', '..', 'engine', 'platform', 'hosts',
                          'web', 'web_audio.js');
const SOURCE = fs.readFileSync(LIBRARY, 'utf8');
const RATE = 44100;

// The library's TolvoAudio object alone, for its ring and the worklet's text.
function library() {
    const merged = {};
    const context = {
        LibraryManager: {library: merged},
        mergeInto: (target, source) => Object.assign(target, source)
    };
    vm.runInNewContext(SOURCE, context);
    context.TolvoAudio = merged.$TolvoAudio;
    return merged;
}

// A browser with Web Audio: the page's clock, a document taking listeners, an AudioContext
// that starts suspended, and worklet nodes whose messages are kept.
function browser({worklet = true, moduleLoads = true, contextRate = RATE, audio = true} = {}) {
    const page = {now: 0, listeners: {}, contexts: [], nodes: [], told: [], modules: []};
    class Context {
        constructor(options) {
            this.sampleRate = contextRate === 'asked' ? options.sampleRate : contextRate;
            this.state = 'suspended';
            this.currentTime = 0;
            this.baseLatency = 0.01;
            this.outputLatency = 0.02;
            this.destination = {};
            if (worklet) {
                this.audioWorklet = {
                    addModule: (url) => {
                        page.modules.push(url);
                        return moduleLoads ? Promise.resolve()
                                           : Promise.reject(new Error('refused'));
                    }
                };
            }
            page.contexts.push(this);
        }
        resume() {
            this.state = 'running';
            this.onstatechange && this.onstatechange();
            return Promise.resolve();
        }
        close() {
            this.state = 'closed';
            return Promise.resolve();
        }
        getOutputTimestamp() {
            // What is rendered now is heard 30 ms later.
            return {contextTime: this.currentTime, performanceTime: page.now + 30};
        }
        createScriptProcessor(frames, inputs, outputs) {
            const node = {kind: 'script', frames, outputs, connect: () => {}, disconnect: () => {}};
            page.nodes.push(node);
            return node;
        }
    }
    class WorkletNode {
        constructor(context, name, options) {
            this.kind = 'worklet';
            this.name = name;
            this.options = options;
            this.messages = [];
            this.port = {postMessage: (message) => this.messages.push(message)};
            page.nodes.push(this);
        }
        connect() {}
        disconnect() {}
    }
    const merged = {};
    const context = {
        LibraryManager: {library: merged},
        mergeInto: (target, source) => Object.assign(target, source),
        performance: {now: () => page.now},
        document: {
            addEventListener: (type, listener) => {
                (page.listeners[type] = page.listeners[type] || []).push(listener);
            },
            removeEventListener: (type, listener) => {
                page.listeners[type] = (page.listeners[type] || []).filter((l) => l !== listener);
            },
        },
        navigator: {},
        URL: {createObjectURL: (blob) => blob, revokeObjectURL: () => {}},
        Blob: class {
            constructor(parts) {
                this.text = parts.join('');
            }
        },
        Map,
        Math,
        console,
        TolvoWeb:
            {page: () => ({audio: (stats) => page.told.push(`${stats.state} ${stats.output}`)})},
    };
    if (audio) {
        context.AudioContext = Context;
        context.AudioWorkletNode = WorkletNode;
    }
    vm.runInNewContext(SOURCE, context);
    context.TolvoAudio = merged.$TolvoAudio;
    page.audio = merged.$TolvoAudio;
    page.press = (type = 'keydown') => (page.listeners[type] || []).forEach((l) => l());
    return page;
}

// Values made in the simulated browser, comparable with this file's own.
function plain(value) {
    return JSON.parse(JSON.stringify(value));
}

function settle() {
    return new Promise((resolve) => setImmediate(resolve));
}

function samples(frames, value = 1000, channels = 2) {
    return Int16Array.from({length: frames * channels}, (_, i) => value + i);
}

test('the ring plays stereo and mono samples as they came, at the same rate', () => {
    const {$TolvoAudio: audio} = library();
    const input = Int16Array.from([-32768, 16384, 0, 32767, 8192, -8192]);
    const cases = [
        {channels: 2, left: [-1, 0, 0.25], right: [0.5, 32767 / 32768, -0.25]},
        {channels: 1, left: [-1, 0.5, 0, 32767 / 32768, 0.25, -0.25]},
    ];
    for (const c of cases) {
        const ring = audio.makeRing(64, c.channels, 1);
        ring.push(input, 1);
        const frames = c.left.length;
        const left = new Float32Array(frames), right = new Float32Array(frames);
        ring.pull(left, right, frames, 0);
        assert.deepStrictEqual(Array.from(left), c.left, `${c.channels} channels, left`);
        assert.deepStrictEqual(Array.from(right), c.right || c.left,
                               `${c.channels} channels, right`);
        assert.strictEqual(ring.report(frames).played, frames);
    }
});

test('the ring drops what does not fit and plays the rest in order', () => {
    const {$TolvoAudio: audio} = library();
    const ring = audio.makeRing(10, 1, 1);
    assert.strictEqual(ring.push(Int16Array.from({length: 6}, (_, i) => i * 100), 1), 6);
    assert.strictEqual(ring.push(Int16Array.from({length: 6}, (_, i) => 1000 + i), 2), 4);
    const out = new Float32Array(10);
    ring.pull(out, null, 10, 0);
    assert.deepStrictEqual(Array.from(out, (v) => Math.round(v * 32768)),
                           [0, 100, 200, 300, 400, 500, 1000, 1001, 1002, 1003]);
    const report = ring.report(10);
    assert.strictEqual(report.dropped, 2);
    assert.strictEqual(report.played, 10);
    // Room again once played.
    assert.strictEqual(ring.push(Int16Array.from({length: 10}), 3), 10);
});

test('running dry is silence, counted once a time and only after sound has begun', () => {
    const {$TolvoAudio: audio} = library();
    const ring = audio.makeRing(100, 2, 1);
    const left = new Float32Array(8), right = new Float32Array(8);
    ring.pull(left, right, 8, 0); // nothing queued yet: the start, not a fault
    assert.strictEqual(ring.report(8).underruns, 0);
    ring.push(samples(4, 16384), 1);
    ring.pull(left, right, 8, 8);
    assert.deepStrictEqual(Array.from(left.slice(4)), [0, 0, 0, 0]);
    ring.pull(left, right, 8, 16); // still dry: the same time
    assert.strictEqual(ring.report(24).underruns, 1);
    ring.push(samples(4), 2);
    ring.pull(left, right, 8, 24);
    assert.strictEqual(ring.report(32).underruns, 2);
});

test('at another rate the ring resamples: as many frames used as the rates say, ramps kept', () => {
    const {$TolvoAudio: audio} = library();
    const step = 44100 / 48000;
    const ring = audio.makeRing(10000, 1, step);
    ring.push(Int16Array.from({length: 4410}, (_, i) => i), 1);
    const out = new Float32Array(4800);
    ring.pull(out, null, 4800, 0);
    const played = ring.report(4800).played;
    assert.ok(Math.abs(played - 4410) <= 1, `${played} frames used for 4800`);
    for (let i = 1; i < 4700; i++) {
        const value = out[i] * 32768;
        assert.ok(Math.abs(value - i * step) < 1e-2, `frame ${i}: ${value}, not ${i * step}`);
    }
});

test('the worklet plays what the page sends, reports every few blocks and ends when closed', () => {
    const {$TolvoAudio: audio} = library();
    const reports = [];
    let processor = null;
    class AudioWorkletProcessor {
        constructor() {
            this.port = {postMessage: (message) => reports.push(message)};
        }
    }
    const scope = {
        AudioWorkletProcessor,
        currentFrame: 0,
        registerProcessor: (name, made) => {
            assert.strictEqual(name, 'tolvo-audio');
            processor = new made({processorOptions: {capacity: 4410, channels: 2, step: 1}});
        },
    };
    vm.runInNewContext(audio.workletSource.call(null), Object.assign(scope, {TolvoAudio: audio}));
    assert.ok(processor, 'no processor registered');
    processor.port.onmessage({data: {samples: samples(300, 3000), id: 1}});
    const outputs = [[new Float32Array(128), new Float32Array(128)]];
    for (let block = 0; block < 8; block++) {
        scope.currentFrame = block * 128;
        assert.strictEqual(processor.process([], outputs), true);
    }
    assert.strictEqual(reports.length, 2);
    assert.strictEqual(reports[0].played, 300);
    assert.strictEqual(reports[0].frame, 512);
    assert.deepStrictEqual(plain(reports[0].begun), [[1, 0]]);
    assert.strictEqual(reports[1].underruns, 1);
    processor.port.onmessage({data: {close: true}});
    assert.strictEqual(processor.process([], outputs), false);
});

test('before the first click or key nothing plays: a frame\'s worth is mixed and dropped', () => {
    const page = browser();
    const audio = page.audio;
    assert.strictEqual(audio.open(RATE, 2), true);
    const target = Math.round(RATE * audio.TARGET_MS / 1000);
    // The first ask fills the target; then about one 60 Hz frame's worth each frame.
    assert.strictEqual(audio.wanted(), target);
    audio.queue(samples(target), target);
    const asked = [];
    for (let frame = 0; frame < 60; frame++) {
        page.now += 1000 / 60;
        const frames = audio.wanted();
        asked.push(frames);
        audio.queue(samples(frames), frames);
    }
    const total = asked.reduce((a, b) => a + b, 0);
    assert.ok(Math.abs(total - RATE) <= 2, `${total} frames asked for in a second`);
    assert.ok(Math.max(...asked) <= 737, `at most ${Math.max(...asked)} in a frame`);
    assert.strictEqual(audio.stats.sent, 0);
    assert.strictEqual(audio.stats.dropped, target + total);
    assert.strictEqual(audio.stats.state, 'suspended');
});

test('the player\'s key starts the sound; the host keeps the ring near its target', async () => {
    const page = browser();
    const audio = page.audio;
    audio.open(RATE, 2);
    await settle();
    const node = page.nodes[0];
    assert.strictEqual(node.kind, 'worklet');
    assert.strictEqual(node.options.processorOptions.step, 1);
    assert.strictEqual(page.contexts[0].state, 'suspended');
    page.press('keydown');
    assert.strictEqual(page.contexts[0].state, 'running');
    assert.strictEqual(page.told[page.told.length - 1], 'running worklet');
    const target = audio.target;
    assert.strictEqual(audio.wanted(), target);
    audio.queue(samples(target), target);
    assert.strictEqual(node.messages.length, 1);
    assert.strictEqual(node.messages[0].samples.length, target * 2);
    assert.strictEqual(audio.wanted(), 0, 'asked again before anything played');
    // The worklet played 735 frames (its report) and the first chunk began at the context's
    // frame 0, heard 30 ms after it was handed over; the context played 128 more since.
    const context = page.contexts[0];
    audio.noteReport(
        {played: 735, dropped: 0, underruns: 0, peak: 0.1, begun: [[1, 0]], frame: 735});
    assert.deepStrictEqual(plain(audio.stats.latencies), [30]);
    context.currentTime = (735 + 128) / RATE;
    assert.strictEqual(audio.wanted(), 735 + 128);
    // The ring full (reported dropped frames count as played nowhere): no more than it holds.
    audio.noteReport({played: 735, dropped: 500, underruns: 0, peak: 0, begun: [], frame: 863});
    assert.strictEqual(audio.stats.dropped, 500);
    assert.strictEqual(audio.wanted(), 735 + 500);
});

test('each time the ring runs dry the target grows, up to the most', () => {
    const page = browser();
    const audio = page.audio;
    audio.open(RATE, 2);
    const first = audio.target;
    for (let underruns = 1; underruns <= 40; underruns++) {
        audio.noteReport({played: 0, dropped: 0, underruns, peak: 0, begun: [], frame: 0});
    }
    assert.ok(first < audio.target);
    assert.strictEqual(audio.target, Math.round(RATE * audio.MOST_MS / 1000));
    assert.strictEqual(audio.stats.underruns, 40);
});

test('without worklets the page\'s own processor plays from the ring, at the device\'s rate',
     async () => {
         for (const options of [{worklet: false, contextRate: 48000}, {moduleLoads: false}]) {
             const page = browser(options);
             const audio = page.audio;
             audio.open(RATE, 2);
             await settle();
             const node = page.nodes[page.nodes.length - 1];
             assert.strictEqual(node.kind, 'script', JSON.stringify(options));
             page.press('pointerdown');
             const frames = audio.wanted();
             audio.queue(samples(frames, 8192), frames);
             const left = new Float32Array(node.frames), right = new Float32Array(node.frames);
             node.onaudioprocess({
                 playbackTime: 0,
                 outputBuffer: {
                     length: node.frames,
                     numberOfChannels: 2,
                     getChannelData: (c) => (c ? right : left)
                 }
             });
             assert.ok(left[0] > 0.24 && right[0] > 0.24, 'silence from the fallback');
             assert.strictEqual(audio.stats.output, 'script-processor');
             const expected = Math.round(node.frames * RATE / page.contexts[0].sampleRate);
             assert.ok(Math.abs(audio.stats.played - expected) <= 1,
                       `${audio.stats.played} played`);
             assert.ok(Math.abs(audio.level() - (frames - expected)) <= 1);
         }
     });

test('a browser without Web Audio has no sound, and a closed output asks for nothing', async () => {
    assert.strictEqual(browser({audio: false}).audio.open(RATE, 2), false);
    const page = browser();
    page.audio.open(RATE, 2);
    await settle();
    page.audio.close();
    assert.strictEqual(page.contexts[0].state, 'closed');
    assert.strictEqual(page.nodes[0].messages.pop().close, true);
    assert.deepStrictEqual(plain(page.listeners.keydown), []);
    assert.strictEqual(page.audio.stats.state, 'closed');
});
