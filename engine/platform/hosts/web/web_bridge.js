// The web host's JavaScript (web_bridge.h): drawing frames on the page's canvas, waiting for
// the display, yielding to the browser, the modal message box and the full screen (the
// sound is web_audio.js's). Linked into muffins.js with --js-library. The page (page/page.js)
// supplies Module.canvas and Module.page, its side of the seam: each of its calls is
// described there.
//
// Emscripten (3.1.6) copies this file's entries into muffins.js as text, and its optimiser
// then goes over them: the functions C++ calls (tolvo_web_*) stay `function` expressions,
// which it names; the members of $TolvoWeb are arrows, never methods (`name() {}` does not
// survive the copy); no destructuring (`const {a} = b;` is dropped as unused), no `?.` or
// `??` (refused). The same holds for web_audio.js.
mergeInto(LibraryManager.library, {
    $TolvoWeb: {
        canvas: null,
        gl: null,
        glLost: false,
        texture: null,
        textureWidth: 0,
        textureHeight: 0,
        context2d: null,
        image: null,
        renderer: '',
        rendererChosen: false,
        // The display's frame interval as requestAnimationFrame shows it, in milliseconds.
        frameInterval: 1000 / 60,
        lastFrameTime: 0,
        lastWake: -1e9, // when the last sleep ended
        displayLate: 0, // sleeps in a row that no display frame ended in time
        channel: null,
        waiting: null,

        page: () => Module['page'] || {},

        findCanvas: () => {
            if (!TolvoWeb.canvas) {
                TolvoWeb.canvas = Module['canvas'] || document.getElementById('screen');
            }
            return TolvoWeb.canvas;
        },

        // WebGL where the browser has it: the frame goes up as a 5-6-5 texture, so the
        // browser, not our code, expands the pixels; scaling is the page's (pixelated CSS).
        startGL: (canvas) => {
            const attributes = {
                alpha: false,
                antialias: false,
                depth: false,
                stencil: false,
                premultipliedAlpha: false,
                preserveDrawingBuffer: true
            };
            const gl =
                canvas.getContext('webgl2', attributes) || canvas.getContext('webgl', attributes);
            if (!gl) {
                return false;
            }
            function shader(type, source) {
                const made = gl.createShader(type);
                gl.shaderSource(made, source);
                gl.compileShader(made);
                return made;
            }
            const vertex = 'attribute vec2 corner; varying vec2 place;' +
                           'void main() { place = vec2(corner.x + 1.0, 1.0 - corner.y) * 0.5;' +
                           ' gl_Position = vec4(corner, 0.0, 1.0); }';
            // Texture coordinates across 900 pixels need more than mediump's 10 bits.
            const fragment =
                '#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\n' +
                '#else\nprecision mediump float;\n#endif\n' +
                'uniform sampler2D frame; varying vec2 place;' +
                'void main() { gl_FragColor = vec4(texture2D(frame, place).rgb, 1.0); }';
            const program = gl.createProgram();
            gl.attachShader(program, shader(gl.VERTEX_SHADER, vertex));
            gl.attachShader(program, shader(gl.FRAGMENT_SHADER, fragment));
            gl.bindAttribLocation(program, 0, 'corner');
            gl.linkProgram(program);
            if (!gl.getProgramParameter(program, gl.LINK_STATUS)) {
                return false;
            }
            gl.useProgram(program);
            gl.uniform1i(gl.getUniformLocation(program, 'frame'), 0);
            gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
            gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 1, -1, -1, 1, 1, 1]),
                          gl.STATIC_DRAW);
            gl.enableVertexAttribArray(0);
            gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
            TolvoWeb.texture = gl.createTexture();
            gl.activeTexture(gl.TEXTURE0);
            gl.bindTexture(gl.TEXTURE_2D, TolvoWeb.texture);
            gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
            gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
            gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
            gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
            gl.pixelStorei(gl.UNPACK_ALIGNMENT, 2);
            TolvoWeb.textureWidth = TolvoWeb.textureHeight = 0;
            TolvoWeb.gl = gl;
            const webgl2 = typeof WebGL2RenderingContext != 'undefined' &&
                           gl instanceof WebGL2RenderingContext;
            TolvoWeb.renderer = webgl2 ? 'webgl2' : 'webgl';
            return true;
        },

        // Without WebGL: a 2D canvas, given the pixels already expanded to RGBA by the
        // program (web_canvas.cpp).
        start2d: (canvas) => {
            const context = canvas.getContext('2d', {alpha: false});
            if (!context) {
                return false;
            }
            TolvoWeb.context2d = context;
            TolvoWeb.renderer = '2d';
            return true;
        },

        // Once: a canvas that offers neither context shows nothing, and is not asked again.
        startRenderer: (canvas) => {
            if (TolvoWeb.rendererChosen) {
                return;
            }
            TolvoWeb.rendererChosen = true;
            canvas.addEventListener('webglcontextlost', (event) => {
                // Kept, to be made again when the browser gives the context back.
                event.preventDefault();
                TolvoWeb.glLost = true;
            });
            canvas.addEventListener('webglcontextrestored', () => {
                TolvoWeb.glLost = !TolvoWeb.startGL(canvas);
            });
            if (!TolvoWeb.startGL(canvas)) {
                TolvoWeb.start2d(canvas);
            }
        },

        // What the program is to hand over (tolvo_web_renderer in web_bridge.h).
        kind: () => {
            const canvas = TolvoWeb.findCanvas();
            if (!canvas) {
                return 0;
            }
            TolvoWeb.startRenderer(canvas);
            if (TolvoWeb.gl) {
                return TolvoWeb.renderer == 'webgl2' ? 1 : 2;
            }
            return TolvoWeb.context2d ? 3 : 0;
        },

        // The frame at `address` in the program's memory, as kind() asked for it.
        draw: (address, width, height, stride) => {
            const canvas = TolvoWeb.findCanvas();
            if (!canvas) {
                return;
            }
            if (canvas.width != width || canvas.height != height) {
                canvas.width = width;
                canvas.height = height;
                TolvoWeb.textureWidth = TolvoWeb.textureHeight = 0;
                TolvoWeb.page()['layout'] && TolvoWeb.page()['layout']();
            }
            TolvoWeb.startRenderer(canvas);
            const gl = TolvoWeb.gl;
            if (gl) {
                if (TolvoWeb.glLost) {
                    return;
                }
                // WebGL 2 reads the rows where the program keeps them, no copy between.
                const first = address >> 1;
                const pixels = HEAPU16.subarray(first, first + stride * (height - 1) + width);
                if (TolvoWeb.renderer == 'webgl2') {
                    gl.pixelStorei(gl.UNPACK_ROW_LENGTH, stride);
                }
                if (TolvoWeb.textureWidth != width || TolvoWeb.textureHeight != height) {
                    gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, width, height, 0, gl.RGB,
                                  gl.UNSIGNED_SHORT_5_6_5, pixels);
                    TolvoWeb.textureWidth = width;
                    TolvoWeb.textureHeight = height;
                } else {
                    gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, 0, width, height, gl.RGB,
                                     gl.UNSIGNED_SHORT_5_6_5, pixels);
                }
                gl.viewport(0, 0, width, height);
                gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
                return;
            }
            const context = TolvoWeb.context2d;
            if (!context) {
                return;
            }
            let image = TolvoWeb.image;
            if (!image || image.width != width || image.height != height) {
                image = TolvoWeb.image = context.createImageData(width, height);
            }
            image.data.set(HEAPU8.subarray(address, address + width * height * 4));
            context.putImageData(image, 0, 0);
        },

        // The program runs again after giving the browser its turn at `since`: the page
        // counts the time the program was not running.
        resumed: (since) => {
            const page = TolvoWeb.page();
            page['resumed'] && page['resumed'](performance.now() - since);
        },

        noteDisplayFrame: (time) => {
            const interval = time - TolvoWeb.lastFrameTime;
            TolvoWeb.lastFrameTime = time;
            if (interval < 3 || interval > 50) {
                return; // the first frame, or one after the page was away
            }
            // The shortest interval seen, slowly forgotten: frames the game took too long for
            // are multiples of it, not the display's own.
            const known = TolvoWeb.frameInterval;
            TolvoWeb.frameInterval =
                interval < known ? interval : known + (interval - known) * 0.02;
        },

        // While the page is hidden (another tab, another app, the screen off) the program
        // stays where it gave the browser its turn and goes on when the page is shown
        // again: no frames run meanwhile, and as the game counts frames, not time, it takes
        // up from the same frame. The engine's pacer finds that frame late and counts the
        // next from there, so nothing is caught up. Losing the focus alone holds nothing.
        whenShown: (done) => {
            if (!document.hidden) {
                done();
                return;
            }
            const since = performance.now();
            function shown() {
                if (!document.hidden) {
                    document.removeEventListener('visibilitychange', shown);
                    TolvoWeb.lastFrameTime = 0; // the display's frames start again
                    const page = TolvoWeb.page();
                    page['held'] && page['held'](performance.now() - since);
                    done();
                }
            }
            document.addEventListener('visibilitychange', shown);
        },

        // Waits for the display frame on which a frame due in `milliseconds` is shown: the
        // first whose time is within half a display frame of it. At 60 Hz that is every
        // display frame, at 120 or 144 Hz every second or so, so the game keeps 60 a second.
        // Frames asked for faster than the display shows them (?fps above its rate) are
        // woken by a plain timer instead: they are counted, not all seen.
        sleep: (milliseconds, done) => {
            const now = performance.now();
            const due = now + milliseconds;
            // This frame's period, as the pacer has it.
            const period = now - TolvoWeb.lastWake + milliseconds;
            let finished = false;
            let timer = 0;
            function finish() {
                if (!finished) {
                    finished = true;
                    clearTimeout(timer);
                    TolvoWeb.whenShown(() => {
                        TolvoWeb.lastWake = performance.now();
                        done();
                    });
                }
            }
            if (document.hidden) {
                finish();
                return;
            }
            const interval = TolvoWeb.frameInterval;
            let timed = period < interval * 0.75;
            if (!timed && TolvoWeb.lastFrameTime > 0) {
                // The display frame nearest the due time went by while the frame was made (a
                // slow frame): the frame is shown as soon as it is due, on the display frame
                // after.
                const last = TolvoWeb.lastFrameTime;
                const nearest = last + Math.round((due - last) / interval) * interval;
                timed = nearest <= now;
            }
            // Display frames that come late (a busy machine) or stop (a page going away) do
            // not hold the game back: half a display frame after the due time it goes on, so
            // it keeps its 60 a second and the frame is shown when the display gets to it.
            // Where they keep coming late (a display slower than the game, as on a slow
            // phone), waking that much later would make a frame that takes over half a
            // display frame late for the engine's pacer, which then starts its count afresh
            // and loses the difference: the game wakes when due until a display frame is in
            // time again.
            const margin = timed || TolvoWeb.displayLate >= 2 ? 0 : interval / 2 + 1;
            timer = setTimeout(() => {
                TolvoWeb.displayLate += timed ? 0 : 1;
                finish();
            }, milliseconds + margin);
            if (timed) {
                return;
            }
            function displayFrame(time) {
                if (finished) {
                    return;
                }
                TolvoWeb.noteDisplayFrame(time);
                if (time + TolvoWeb.frameInterval / 2 >= due) {
                    TolvoWeb.displayLate = 0;
                    finish();
                } else {
                    requestAnimationFrame(displayFrame);
                }
            }
            requestAnimationFrame(displayFrame);
        },

        // The browser's turn without waiting for a timer (which a browser delays by 4 ms
        // when they follow one another): a message to ourselves.
        yieldNow: (done) => {
            if (!TolvoWeb.channel) {
                TolvoWeb.channel = new MessageChannel();
                TolvoWeb.channel.port1.onmessage = () => {
                    const waiting = TolvoWeb.waiting;
                    TolvoWeb.waiting = null;
                    if (waiting) {
                        TolvoWeb.whenShown(waiting);
                    }
                };
            }
            TolvoWeb.waiting = done;
            TolvoWeb.channel.port2.postMessage(0);
        },
    },

    tolvo_web_has_canvas__deps: ['$TolvoWeb'],
    tolvo_web_has_canvas: function() {
        return TolvoWeb.findCanvas() ? 1 : 0;
    },

    tolvo_web_window__deps: ['$TolvoWeb'],
    tolvo_web_window: function(width, height) {
        const canvas = TolvoWeb.findCanvas();
        const page = TolvoWeb.page();
        if (!canvas) {
            return;
        }
        if (width > 0 && height > 0) {
            if (canvas.width != width || canvas.height != height) {
                canvas.width = width;
                canvas.height = height;
                TolvoWeb.textureWidth = TolvoWeb.textureHeight = 0;
            }
            page['windowShown'] && page['windowShown'](width, height);
        } else {
            page['windowHidden'] && page['windowHidden']();
        }
    },

    tolvo_web_renderer__deps: ['$TolvoWeb'],
    tolvo_web_renderer: function() {
        return TolvoWeb.kind();
    },

    tolvo_web_present__deps: ['$TolvoWeb'],
    tolvo_web_present: function(pixels, width, height, stride, number) {
        TolvoWeb.draw(pixels, width, height, stride);
        const page = TolvoWeb.page();
        page['frameShown'] && page['frameShown'](number, TolvoWeb.renderer);
    },

    // Waking goes through callUserCallback, where the program's exit() (an exception
    // thrown through the page) ends quietly instead of as an error in the console.
    tolvo_web_sleep__deps: ['$TolvoWeb', '$callUserCallback'],
    tolvo_web_sleep: function(milliseconds) {
        Asyncify.handleSleep((wakeUp) => {
            const since = performance.now();
            TolvoWeb.sleep(milliseconds, () => {
                TolvoWeb.resumed(since);
                callUserCallback(wakeUp);
            });
        });
    },

    tolvo_web_yield__deps: ['$TolvoWeb', '$callUserCallback'],
    tolvo_web_yield: function() {
        Asyncify.handleSleep((wakeUp) => {
            const since = performance.now();
            TolvoWeb.yieldNow(() => {
                TolvoWeb.resumed(since);
                callUserCallback(wakeUp);
            });
        });
    },

    tolvo_web_message_box__deps: ['$TolvoWeb', '$callUserCallback'],
    tolvo_web_message_box: function(text, caption) {
        const message = UTF8ToString(text);
        const title = UTF8ToString(caption);
        Asyncify.handleSleep((wakeUp) => {
            const page = TolvoWeb.page();
            const dismissed = page['messageBox'] ? page['messageBox'](message, title) : null;
            if (!dismissed) {
                // A page without its dialog: the browser's own, which blocks by itself.
                window.alert((title ? `${title}\n\n` : '') + message);
                wakeUp();
                return;
            }
            dismissed.then(() => {
                callUserCallback(wakeUp);
            });
        });
    },

    tolvo_web_full_screen__deps: ['$TolvoWeb'],
    tolvo_web_full_screen: function() {
        const page = TolvoWeb.page();
        if (page['fullScreen']) {
            page['fullScreen']();
            return;
        }
        // A page without its button: the canvas by itself.
        const canvas = TolvoWeb.findCanvas();
        if (document.fullscreenElement) {
            document.exitFullscreen();
        } else if (canvas && canvas.requestFullscreen) {
            const asked = canvas.requestFullscreen();
            if (asked && asked.catch) {
                asked.catch(() => {});
            }
        }
    },

    tolvo_web_has_focus: function() {
        return document.hasFocus() ? 1 : 0;
    },
});
