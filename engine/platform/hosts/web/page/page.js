// Muffin Meltdown's page: loads the program (muffins.js, muffins.wasm) and the game's files,
// gives the program the settings of the page's address as its environment, and is the web
// host's window: the canvas, its dialogs, and what the page shows when the game ends. Its side
// of the seam with the host's JavaScript, every call the host makes into the page, is
// hostCalls below (Module.page).
//
//   ?script=NAME   play the input script NAME, fetched from beside the page (demo.script)
//   ?frames=N      end after N frames            ?fps=N   frames a second, 0 = unpaced
//   ?trace         the game's trace, one console.log line per frame
//   ?record        the player's input as an input script, offered for download
(() => {
    'use strict';

    const FILES = 'game-files.tar.gz'; // Images/ and Sounds/, a gzip-compressed tar (make_site.py)
    const FOLDER = '/game';            // the program's working folder
    const SCRIPTS = '/scripts';
    const RECORDING = 'recording.script'; // in the working folder
    const TRACE_DEVICE = '/dev/trace';

    const params = new URLSearchParams(window.location.search);
    function element(id) {
        return document.getElementById(id);
    }
    const canvas = element('screen');
    const stage = element('stage');
    const status = element('status');
    const errors = [];  // the program's standard error, for the debug log
    const notices = []; // those of its lines the bar shows, and the page's own (notice)
    let inBox = false;  // standard error is a message box's text until the box shows
    let running = false;

    // What tests and measurements read: times in milliseconds since the page was opened.
    const stats = window.tolvoStats = {
        programReady: null,  // the program's code compiled and instantiated
        filesUnpacked: null, // the game's files fetched, decompressed and split
        filesReady: null,    // the game's files unpacked into the file system
        firstFrame: null,    // the first frame drawn on the canvas
        lastFrame: null,
        framesShown: 0,     // frames drawn (unpaced, most presented frames are only counted)
        lastFrameNumber: 0, // frames the program presented up to the last one drawn
        renderer: '',       // webgl2, webgl or 2d
        away: 0,            // time the program gave to the browser (sleeping or yielding)
        turns: 0,           // how often it did
        held: 0,            // time it was held while the page was hidden (part of away)
        holds: 0,           // how often
        exitCode: null,
        exitTime: null,
        messageBoxes: [],
        audio: null, // the sound's state and counts (web_audio.js), once it is open
    };

    function say(text) {
        status.textContent = text;
    }

    // What the program says on standard error about its settings and its files (a number
    // it ignored, a script it cannot read, a file it cannot write), as the native program
    // does, and what the page says about its address: in the bar below the game, where the
    // player sees it, and in the debug log. The bar shows the latest few.
    const NOTICES_SHOWN = 3;
    function notice(text) {
        errors.push(text);
        notices.push(text);
        console.warn(text);
        const shown = notices.slice(-NOTICES_SHOWN);
        if (notices.length > NOTICES_SHOWN) {
            shown.unshift(`${notices.length - NOTICES_SHOWN} more in the debug log`);
        }
        const bar = element('notices');
        bar.textContent = shown.join('\n');
        bar.hidden = false;
        layout(); // the bar may have grown, leaving the game less room
    }

    // The address's settings as the program's environment (TOLVO_*), checked as far as the
    // page is concerned; the program checks the values as it does everywhere.
    function environment() {
        const env = {};
        const script = params.get('script');
        if (script) {
            // Only a file beside the page: no other folder, no other site.
            if (/^[A-Za-z0-9_][A-Za-z0-9_.-]*$/.test(script)) {
                env.TOLVO_SCRIPT = `${SCRIPTS}/${script}`;
            } else {
                notice(`?script=${script}: not the name of a file beside the page; ignored`);
            }
        }
        if (params.get('frames')) {
            env.TOLVO_FRAMES = params.get('frames');
        }
        if (params.has('fps') && params.get('fps') !== '') {
            env.TOLVO_FPS = params.get('fps');
        }
        if (params.has('trace')) {
            env.TOLVO_TRACE = TRACE_DEVICE;
        }
        if (params.has('record')) {
            env.TOLVO_RECORD = RECORDING;
        }
        return env;
    }

    // A gzip-compressed tar as {name, data} entries: regular files only, names relative.
    function untar(bytes) {
        const files = [];
        function text(start, length) {
            let end = start;
            while (end < start + length && bytes[end]) {
                end++;
            }
            return new TextDecoder().decode(bytes.subarray(start, end));
        }
        for (let at = 0; at + 512 <= bytes.length;) {
            let name = text(at, 100);
            if (!name) {
                break; // the two empty blocks that end the archive
            }
            const size = parseInt(text(at + 124, 12).trim() || '0', 8);
            const type = String.fromCharCode(bytes[at + 156] || 48);
            const prefix = bytes[at + 257] == 117 ? text(at + 345, 155) : ''; // "ustar"
            if (prefix) {
                name = `${prefix}/${name}`;
            }
            if (!(size >= 0) || at + 512 + size > bytes.length) {
                throw new Error(`${FILES} is cut short`);
            }
            const safe = name.split('/').every((part) => part !== '..') && name[0] !== '/';
            if ((type === '0' || type === '\0') && safe) {
                files.push({name, data: bytes.subarray(at + 512, at + 512 + size)});
            }
            at += 512 + Math.ceil(size / 512) * 512;
        }
        return files;
    }

    function gunzip(buffer) {
        const bytes = new Uint8Array(buffer);
        // A server that already undid the compression (Content-Encoding) leaves the tar.
        if (bytes[0] !== 0x1f || bytes[1] !== 0x8b) {
            return Promise.resolve(bytes);
        }
        if (typeof DecompressionStream === 'undefined') {
            const reason = 'this browser cannot unpack the game (no DecompressionStream)';
            return Promise.reject(new Error(reason));
        }
        const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
        return new Response(stream).arrayBuffer().then((unpacked) => new Uint8Array(unpacked));
    }

    function fetchBytes(url) {
        return fetch(url).then((response) => {
            if (!response.ok) {
                throw new Error(`${url}: ${response.status} ${response.statusText}`);
            }
            return response.arrayBuffer();
        });
    }

    // Started at once, alongside the program's own download.
    const env = environment();
    const files = fetchBytes(FILES).then(gunzip).then((bytes) => {
        const unpacked = untar(bytes);
        stats.filesUnpacked = performance.now();
        return unpacked;
    });
    // The program's code too, compiled as it arrives where the server says it is
    // WebAssembly (muffins.js would ask for it only once it has been fetched and run).
    const code = fetch('muffins.wasm').then((response) => {
        if (!response.ok) {
            throw new Error(`muffins.wasm: ${response.status} ${response.statusText}`);
        }
        const type = response.headers.get('Content-Type') || '';
        if (WebAssembly.compileStreaming && type.startsWith('application/wasm')) {
            return WebAssembly.compileStreaming(response);
        }
        return response.arrayBuffer().then((bytes) => WebAssembly.compile(bytes));
    });
    let script = Promise.resolve(null);
    if (env.TOLVO_SCRIPT) {
        script = fetchBytes(params.get('script')).catch((error) => {
            // The program then says it cannot read the script, and plays on without it.
            notice(`?script=${params.get('script')}: not fetched (${error.message})`);
            return null;
        });
    }

    // The trace as the file would hold it, each line one console.log.
    function traceDevice(FS) {
        const decoder = new TextDecoder();
        let pending = '';
        function flush(all) {
            const lines = pending.split('\n');
            pending = lines.pop();
            lines.forEach((line) => {
                console.log(line);
            });
            if (all && pending) {
                console.log(pending);
                pending = '';
            }
        }
        const device = FS.makedev(200, 0);
        FS.registerDevice(device, {
            open: (stream) => {
                stream.seekable = false;
            },
            close: () => {
                flush(true);
            },
            read: () => 0,
            write: (stream, buffer, offset, length) => {
                const bytes = buffer.subarray(offset, offset + length);
                pending += decoder.decode(bytes, {stream: true});
                flush(false);
                return length;
            },
        });
        FS.mkdev(TRACE_DEVICE, device);
    }

    function prepare() {
        const FS = Module.FS;
        Module.addRunDependency('game-files');
        FS.mkdir(FOLDER);
        FS.mkdir(SCRIPTS);
        FS.chdir(FOLDER);
        if (env.TOLVO_TRACE) {
            traceDevice(FS);
        }
        Object.entries(env).forEach(([name, value]) => {
            Module.ENV[name] = value;
        });
        Promise.all([files, script])
            .then(([gameFiles, scriptBytes]) => {
                gameFiles.forEach((file) => {
                    let path = FOLDER;
                    const parts = file.name.split('/').filter(Boolean);
                    parts.slice(0, -1).forEach((part) => {
                        path += `/${part}`;
                        if (!FS.analyzePath(path).exists) {
                            FS.mkdir(path);
                        }
                    });
                    // Each file keeps its part of the unpacked archive, not a copy.
                    FS.writeFile(`${path}/${parts[parts.length - 1]}`, file.data, {canOwn: true});
                });
                if (scriptBytes) {
                    FS.writeFile(env.TOLVO_SCRIPT, new Uint8Array(scriptBytes));
                }
                stats.filesReady = performance.now();
                say('');
                running = true;
                canvas.focus();
                Module.removeRunDependency('game-files');
            })
            .catch((error) => {
                say(`The game could not be loaded: ${error.message}`);
                console.error(error);
            });
    }

    // The view as large as whole multiples of its pixels allow on this display (sharp),
    // or, where even one does not fit, as large as fits; always 9:5 for the game's view.
    function layout() {
        const ratio = window.devicePixelRatio || 1;
        const box = stage.getBoundingClientRect();
        const style = getComputedStyle(stage); // padding: a phone's safe areas
        const room = {
            width: box.width - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight),
            height: box.height - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom),
        };
        const {width, height} = canvas;
        if (!width || !height || !(room.width > 0) || !(room.height > 0)) {
            return;
        }
        const fit = Math.min(room.width * ratio / width, room.height * ratio / height);
        const scale = TolvoTouch.scale(fit, canvas); // filling a touch screen (touch.js)
        canvas.style.width = `${width * scale / ratio}px`;
        canvas.style.height = `${height * scale / ratio}px`;
    }

    function ended(code) {
        running = false;
        hint();
        stats.exitCode = code;
        stats.exitTime = performance.now();
        console.log(`exit ${code}`);
        element('ended-text').textContent = `Muffin Meltdown has ended (exit ${code}).`;
        element('ended').hidden = false;
        element('again').focus();
    }

    // The host's modal message box: the game waits until it is dismissed.
    function messageBox(text, caption) {
        inBox = false;
        const box = element('box');
        if (typeof box.showModal !== 'function') {
            return null;
        }
        stats.messageBoxes.push({caption, text});
        element('box-title').textContent = caption || 'Muffin Meltdown';
        element('box-text').textContent = text;
        return new Promise((resolve) => {
            function closed() {
                box.removeEventListener('close', closed);
                canvas.focus();
                resolve();
            }
            box.addEventListener('close', closed);
            box.showModal();
            element('box-ok').focus();
        });
    }

    function showLog() {
        let text = '';
        try {
            text = Module.FS.readFile(`${FOLDER}/debug.txt`, {encoding: 'utf8'});
        } catch (error) {
            text = '(no debug.txt yet)\n';
        }
        if (errors.length) {
            text += `\nProgram messages:\n${errors.join('\n')}\n`;
        }
        element('log-text').textContent = text;
        element('log-view').showModal();
    }

    function downloadRecording() {
        let data;
        try {
            data = Module.FS.readFile(`${FOLDER}/${RECORDING}`);
        } catch (error) {
            data = new Uint8Array(0);
        }
        const link = document.createElement('a');
        link.href = URL.createObjectURL(new Blob([data], {type: 'text/plain'}));
        link.download = 'muffin-meltdown.script';
        document.body.appendChild(link);
        link.click();
        link.remove();
        setTimeout(() => {
            URL.revokeObjectURL(link.href);
        }, 1000);
    }

    function toggleFullScreen() {
        const inside = document.fullscreenElement || document.webkitFullscreenElement;
        if (inside) {
            (document.exitFullscreen || document.webkitExitFullscreen).call(document);
        } else {
            const ask = stage.requestFullscreen || stage.webkitRequestFullscreen;
            const asked = ask && ask.call(stage);
            if (asked && asked.catch) {
                asked.catch(() => {});
            }
        }
        canvas.focus();
    }

    // What the player hears: the browser lets a page play only after a click or a key.
    function showSound(audio) {
        let shown = '';
        if (audio.output === 'failed' || audio.output === 'none') {
            shown = 'none';
        } else if (audio.state === 'running') {
            shown = 'on';
        } else if (audio.state !== 'closed') {
            shown = 'waiting';
        }
        for (const text of element('sound').children) {
            text.classList.toggle('shown', text.getAttribute('data-sound') === shown);
        }
    }

    // The gamepads the browser shows the page (it shows one only once it is used).
    function showPads() {
        const all = (navigator.getGamepads && navigator.getGamepads()) || [];
        const pads = Array.from(all).filter((pad) => pad && pad.connected);
        const label = element('pad');
        label.textContent =
            pads.length == 1 ? `Gamepad: ${pads[0].id.slice(0, 40)}` : `${pads.length} gamepads`;
        label.hidden = !pads.length;
    }

    element('fullscreen').addEventListener('click', toggleFullScreen);
    window.addEventListener('gamepadconnected', showPads);
    window.addEventListener('gamepaddisconnected', () => {
        setTimeout(showPads, 0); // once the browser has taken the pad away
    });
    element('log').addEventListener('click', showLog);
    element('log-view').addEventListener('close', () => {
        canvas.focus();
    });
    element('again').addEventListener('click', () => {
        window.location.reload();
    });
    if (env.TOLVO_RECORD) {
        element('recording').hidden = false;
        element('recording').addEventListener('click', downloadRecording);
    }
    // A click anywhere on the game gives it the keyboard.
    stage.addEventListener('mousedown', () => {
        if (running) {
            canvas.focus();
        }
    });
    // Keys reach the game only while it has the focus: say so when it has not.
    function hint() {
        const dialogOpen = element('box').open || element('log-view').open;
        const touching = document.body.classList.contains('touch'); // no keys to give
        element('hint').hidden =
            !running || dialogOpen || touching || document.activeElement === canvas;
    }
    canvas.addEventListener('focus', hint);
    canvas.addEventListener('blur', () => {
        setTimeout(hint, 0); // after the focus has landed elsewhere
    });
    TolvoTouch.start({
        stage,
        onShow: () => {
            layout();
            hint();
        },
    });
    window.addEventListener('resize', layout);
    document.addEventListener('fullscreenchange', layout);
    document.addEventListener('webkitfullscreenchange', layout);
    layout();

    // The page's side of the seam with the web host's JavaScript (web_bridge.js and
    // web_audio.js), as web_bridge.h is the C++ side of the bridge: every call the host makes
    // into the page, found as Module.page. Each entry is optional: the host calls it only if
    // the page has it, and does without it as said. The calls come on the page's thread
    // while the program runs; it goes on when they return. The host also draws on
    // Module.canvas (below).
    const hostCalls = {
        // web_bridge.js, drawing a frame (tolvo_web_present) whose size is not the canvas's:
        // no arguments; the canvas has just taken the frame's size. The page scales the
        // canvas to the room it has.
        layout,
        // web_bridge.js, tolvo_web_window: the program showed its main window, or set a
        // display mode (width, height: its size in pixels, which the canvas has just
        // taken). The page scales the canvas.
        windowShown: (width, height) => {
            layout();
        },
        // web_bridge.js, tolvo_web_window: the program took its main window away (also as
        // it ends). No arguments; the page keeps showing the last frame.
        windowHidden: () => {},
        // web_bridge.js, tolvo_web_present: a frame was drawn on the canvas. number: the
        // program's count of frames presented up to this one (unpaced, most are only
        // counted, not drawn); renderer: 'webgl2', 'webgl', '2d', or '' where the canvas
        // offers no context. The page counts them for tests and measurements (tolvoStats).
        frameShown: (number, renderer) => {
            const now = performance.now();
            if (stats.firstFrame === null) {
                stats.firstFrame = now;
            }
            stats.lastFrame = now;
            stats.framesShown++;
            stats.lastFrameNumber = number;
            stats.renderer = renderer;
        },
        // web_bridge.js, tolvo_web_message_box: the program's MessageBoxA (text and caption
        // as strings; already written to standard error, printErr). The page shows its
        // modal dialog and returns a promise resolved when the player dismisses it: the
        // program waits until then. Without the dialog (null returned, or no entry) the
        // host shows the browser's alert.
        messageBox,
        // web_bridge.js, tolvo_web_full_screen: F11 or Alt+Enter, called while the browser
        // handles the key (a page may go full screen only then). No arguments. The page
        // toggles full screen as its button does. Without it the host toggles the canvas's.
        fullScreen: toggleFullScreen,
        // web_audio.js (tell): the sound opened, its context's state changed (running once
        // the player has clicked or pressed a key), its output started or failed, or it
        // closed. audio: the sound's live state and counts (web_audio.js open, stats), the
        // same object each time, its counts updated between calls too. The page keeps it
        // as tolvoStats.audio and shows whether sound is on.
        audio: (audio) => {
            stats.audio = audio;
            showSound(audio);
        },
        // web_bridge.js (resumed): the program runs again after giving the browser its
        // turn (tolvo_web_sleep, tolvo_web_yield). milliseconds: the time it was away. The
        // page adds them up (tolvoStats.away, turns).
        resumed: (milliseconds) => {
            stats.away += milliseconds;
            stats.turns++;
        },
        // web_touch.js, once a frame as the program looks for input: no arguments. The page
        // returns the touch controls held, or tapped since the last call, as bits (touch.js
        // CONTROLS); the host presses the game's keys for them as for a gamepad.
        touch: TolvoTouch.read,
        // web_bridge.js (whenShown): the program goes on after being held while the page
        // was hidden (milliseconds: how long). The page adds them up (tolvoStats.held,
        // holds).
        held: (milliseconds) => {
            stats.held += milliseconds;
            stats.holds++;
        },
    };

    const Module = window.Module = {
        // Where the host draws the game's frames (web_bridge.js findCanvas; without it, the
        // page's element with the id "screen").
        canvas,
        preRun: [prepare],
        // Emscripten's own loading of muffins.wasm, replaced: the code compiled above.
        instantiateWasm: (imports, receive) => {
            code.then((module) => WebAssembly.instantiate(module, imports))
                .then((instance) => {
                    stats.programReady = performance.now();
                    receive(instance);
                })
                .catch((error) => {
                    say(`The game could not be loaded: ${error.message}`);
                    console.error(error);
                });
            return {}; // the exports come later, through receive
        },
        print: (text) => {
            console.log(text);
        },
        // Standard error, a line at a time. A message box's lines, the first marked and the
        // rest of its text up to the box itself (messageBox), are already the page's dialog.
        printErr: (text) => {
            inBox = inBox || text.startsWith('[message box] ');
            if (inBox || !text) {
                errors.push(text);
                console.warn(text);
            } else {
                notice(text);
            }
        },
        onExit: ended,
        onAbort: (what) => {
            running = false;
            hint();
            say(`The game stopped: ${what}`);
        },
        page: hostCalls,
    };

    const program = document.createElement('script');
    program.src = 'muffins.js';
    program.onerror = () => {
        say('The game could not be loaded: muffins.js is missing');
    };
    document.body.appendChild(program);
})();
