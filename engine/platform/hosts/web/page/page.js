// Muffin Meltdown's page: loads the program (muffins.js, muffins.wasm) and the game's files,
// gives the program the settings of the page's address as its environment, and is the web
// host's window: the canvas, its dialogs, and what the page shows when the game ends.
//
//   ?script=NAME   play the input script NAME, fetched from beside the page (demo.script)
//   ?frames=N      end after N frames            ?fps=N   frames a second, 0 = unpaced
//   ?trace         the game's trace, one console.log line per frame
//   ?record        the player's input as an input script, offered for download
(function() {
  'use strict';

  var FILES = 'game-files.tar.gz'; // Images/ and Sounds/, a gzip-compressed tar (make_site.py)
  var FOLDER = '/game';            // the program's working folder
  var SCRIPTS = '/scripts';
  var RECORDING = 'recording.script'; // in the working folder
  var TRACE_DEVICE = '/dev/trace';

  var params = new URLSearchParams(window.location.search);
  var element = function(id) {
    return document.getElementById(id);
  };
  var canvas = element('screen');
  var stage = element('stage');
  var status = element('status');
  var errors = [];   // the program's standard error, for the debug log
  var notices = [];  // those of its lines the bar shows, and the page's own (notice)
  var inBox = false; // standard error is a message box's text until the box shows
  var running = false;

  // What tests and measurements read: times in milliseconds since the page was opened.
  var stats = window.tolvoStats = {
    filesReady: null,   // the game's files unpacked into the file system
    firstFrame: null,   // the first frame drawn on the canvas
    lastFrame: null,
    framesShown: 0,     // frames drawn (unpaced, most presented frames are only counted)
    lastFrameNumber: 0, // frames the program presented up to the last one drawn
    renderer: '',       // webgl2, webgl or 2d
    away: 0,            // time the program gave to the browser (sleeping or yielding)
    turns: 0,           // how often it did
    exitCode: null,
    exitTime: null,
    messageBoxes: [],
    audio: null,        // the sound's state and counts (web_audio.js), once it is open
  };

  function say(text) {
    status.textContent = text;
  }

  // What the program says on standard error about its settings and its files (a number
  // it ignored, a script it cannot read, a file it cannot write), as the native program
  // does, and what the page says about its address: in the bar below the game, where the
  // player sees it, and in the debug log. The bar shows the latest few.
  var NOTICES_SHOWN = 3;
  function notice(text) {
    errors.push(text);
    notices.push(text);
    console.warn(text);
    var shown = notices.slice(-NOTICES_SHOWN);
    if (notices.length > NOTICES_SHOWN) {
      shown.unshift((notices.length - NOTICES_SHOWN) + ' more in the debug log');
    }
    var bar = element('notices');
    bar.textContent = shown.join('\n');
    bar.hidden = false;
    layout(); // the bar may have grown, leaving the game less room
  }

  // The address's settings as the program's environment (TOLVO_*), checked as far as the
  // page is concerned; the program checks the values as it does everywhere.
  function environment() {
    var env = {};
    var script = params.get('script');
    if (script) {
      // Only a file beside the page: no other folder, no other site.
      if (/^[A-Za-z0-9_][A-Za-z0-9_.-]*$/.test(script)) {
        env.TOLVO_SCRIPT = SCRIPTS + '/' + script;
      } else {
        notice('?script=' + script + ': not the name of a file beside the page; ignored');
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
    var files = [];
    var text = function(start, length) {
      var end = start;
      while (end < start + length && bytes[end]) {
        end++;
      }
      return new TextDecoder().decode(bytes.subarray(start, end));
    };
    for (var at = 0; at + 512 <= bytes.length;) {
      var name = text(at, 100);
      if (!name) {
        break; // the two empty blocks that end the archive
      }
      var size = parseInt(text(at + 124, 12).trim() || '0', 8);
      var type = String.fromCharCode(bytes[at + 156] || 48);
      var prefix = bytes[at + 257] == 117 ? text(at + 345, 155) : ''; // "ustar"
      if (prefix) {
        name = prefix + '/' + name;
      }
      if (!(size >= 0) || at + 512 + size > bytes.length) {
        throw new Error(FILES + ' is cut short');
      }
      var safe = name.split('/').every(function(part) {
        return part !== '..';
      }) && name[0] !== '/';
      if ((type === '0' || type === '\0') && safe) {
        files.push({name: name, data: bytes.subarray(at + 512, at + 512 + size)});
      }
      at += 512 + Math.ceil(size / 512) * 512;
    }
    return files;
  }

  function gunzip(buffer) {
    var bytes = new Uint8Array(buffer);
    // A server that already undid the compression (Content-Encoding) leaves the tar.
    if (bytes[0] !== 0x1f || bytes[1] !== 0x8b) {
      return Promise.resolve(bytes);
    }
    if (typeof DecompressionStream === 'undefined') {
      return Promise.reject(new Error('this browser cannot unpack the game (no DecompressionStream)'));
    }
    var stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
    return new Response(stream).arrayBuffer().then(function(unpacked) {
      return new Uint8Array(unpacked);
    });
  }

  function fetchBytes(url) {
    return fetch(url).then(function(response) {
      if (!response.ok) {
        throw new Error(url + ': ' + response.status + ' ' + response.statusText);
      }
      return response.arrayBuffer();
    });
  }

  // Started at once, alongside the program's own download.
  var env = environment();
  var files = fetchBytes(FILES).then(gunzip).then(untar);
  var script = env.TOLVO_SCRIPT ? fetchBytes(params.get('script')).catch(function(error) {
    // The program then says it cannot read the script, and plays on without it.
    notice('?script=' + params.get('script') + ': not fetched (' + error.message + ')');
    return null;
  }) : Promise.resolve(null);

  // The trace as the file would hold it, each line one console.log.
  function traceDevice(FS) {
    var decoder = new TextDecoder();
    var pending = '';
    var flush = function(all) {
      var lines = pending.split('\n');
      pending = lines.pop();
      lines.forEach(function(line) {
        console.log(line);
      });
      if (all && pending) {
        console.log(pending);
        pending = '';
      }
    };
    var device = FS.makedev(200, 0);
    FS.registerDevice(device, {
      open: function(stream) {
        stream.seekable = false;
      },
      close: function() {
        flush(true);
      },
      read: function() {
        return 0;
      },
      write: function(stream, buffer, offset, length) {
        pending += decoder.decode(buffer.subarray(offset, offset + length), {stream: true});
        flush(false);
        return length;
      },
    });
    FS.mkdev(TRACE_DEVICE, device);
  }

  function prepare() {
    var FS = Module.FS;
    Module.addRunDependency('game-files');
    FS.mkdir(FOLDER);
    FS.mkdir(SCRIPTS);
    FS.chdir(FOLDER);
    if (env.TOLVO_TRACE) {
      traceDevice(FS);
    }
    Object.keys(env).forEach(function(name) {
      Module.ENV[name] = env[name];
    });
    Promise.all([files, script]).then(function(loaded) {
      loaded[0].forEach(function(file) {
        var path = FOLDER;
        var parts = file.name.split('/').filter(Boolean);
        parts.slice(0, -1).forEach(function(part) {
          path += '/' + part;
          if (!FS.analyzePath(path).exists) {
            FS.mkdir(path);
          }
        });
        FS.writeFile(path + '/' + parts[parts.length - 1], file.data);
      });
      if (loaded[1]) {
        FS.writeFile(env.TOLVO_SCRIPT, new Uint8Array(loaded[1]));
      }
      stats.filesReady = performance.now();
      say('');
      running = true;
      canvas.focus();
      Module.removeRunDependency('game-files');
    }).catch(function(error) {
      say('The game could not be loaded: ' + error.message);
      console.error(error);
    });
  }

  // The view as large as whole multiples of its pixels allow on this display (sharp),
  // or, where even one does not fit, as large as fits; always 9:5 for the game's view.
  function layout() {
    var ratio = window.devicePixelRatio || 1;
    var room = stage.getBoundingClientRect();
    var width = canvas.width, height = canvas.height;
    if (!width || !height || !room.width || !room.height) {
      return;
    }
    var fit = Math.min(room.width * ratio / width, room.height * ratio / height);
    var scale = fit >= 1 ? Math.floor(fit) : fit;
    canvas.style.width = (width * scale / ratio) + 'px';
    canvas.style.height = (height * scale / ratio) + 'px';
  }

  function ended(code) {
    running = false;
    hint();
    stats.exitCode = code;
    stats.exitTime = performance.now();
    console.log('exit ' + code);
    element('ended-text').textContent = 'Muffin Meltdown has ended (exit ' + code + ').';
    element('ended').hidden = false;
    element('again').focus();
  }

  // The host's modal message box: the game waits until it is dismissed.
  function messageBox(text, caption) {
    inBox = false;
    var box = element('box');
    if (typeof box.showModal !== 'function') {
      return null;
    }
    stats.messageBoxes.push({caption: caption, text: text});
    element('box-title').textContent = caption || 'Muffin Meltdown';
    element('box-text').textContent = text;
    return new Promise(function(resolve) {
      box.addEventListener('close', function closed() {
        box.removeEventListener('close', closed);
        canvas.focus();
        resolve();
      });
      box.showModal();
      element('box-ok').focus();
    });
  }

  function showLog() {
    var text = '';
    try {
      text = Module.FS.readFile(FOLDER + '/debug.txt', {encoding: 'utf8'});
    } catch (error) {
      text = '(no debug.txt yet)\n';
    }
    if (errors.length) {
      text += '\nProgram messages:\n' + errors.join('\n') + '\n';
    }
    element('log-text').textContent = text;
    element('log-view').showModal();
  }

  function downloadRecording() {
    var data;
    try {
      data = Module.FS.readFile(FOLDER + '/' + RECORDING);
    } catch (error) {
      data = new Uint8Array(0);
    }
    var link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([data], {type: 'text/plain'}));
    link.download = 'muffin-meltdown.script';
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function() {
      URL.revokeObjectURL(link.href);
    }, 1000);
  }

  function toggleFullScreen() {
    var inside = document.fullscreenElement || document.webkitFullscreenElement;
    if (inside) {
      (document.exitFullscreen || document.webkitExitFullscreen).call(document);
    } else {
      var ask = stage.requestFullscreen || stage.webkitRequestFullscreen;
      var asked = ask && ask.call(stage);
      if (asked && asked.catch) {
        asked.catch(function() {});
      }
    }
    canvas.focus();
  }

  // What the player hears: the browser lets a page play only after a click or a key.
  function showSound(audio) {
    var shown = '';
    if (audio.output === 'failed' || audio.output === 'none') {
      shown = 'none';
    } else if (audio.state === 'running') {
      shown = 'on';
    } else if (audio.state !== 'closed') {
      shown = 'waiting';
    }
    Array.prototype.forEach.call(element('sound').children, function(text) {
      text.classList.toggle('shown', text.getAttribute('data-sound') === shown);
    });
  }

  // The gamepads the browser shows the page (it shows one only once it is used).
  function showPads() {
    var pads = Array.prototype.filter.call(
      (navigator.getGamepads && navigator.getGamepads()) || [], function(pad) {
        return pad && pad.connected;
      });
    var label = element('pad');
    label.textContent = pads.length == 1 ? 'Gamepad: ' + pads[0].id.slice(0, 40) :
                        pads.length + ' gamepads';
    label.hidden = !pads.length;
  }

  element('fullscreen').addEventListener('click', toggleFullScreen);
  window.addEventListener('gamepadconnected', showPads);
  window.addEventListener('gamepaddisconnected', function() {
    setTimeout(showPads, 0); // once the browser has taken the pad away
  });
  element('log').addEventListener('click', showLog);
  element('log-view').addEventListener('close', function() {
    canvas.focus();
  });
  element('again').addEventListener('click', function() {
    window.location.reload();
  });
  if (env.TOLVO_RECORD) {
    element('recording').hidden = false;
    element('recording').addEventListener('click', downloadRecording);
  }
  // A click anywhere on the game gives it the keyboard.
  stage.addEventListener('mousedown', function() {
    if (running) {
      canvas.focus();
    }
  });
  // Keys reach the game only while it has the focus: say so when it has not.
  function hint() {
    var dialogOpen = element('box').open || element('log-view').open;
    element('hint').hidden = !running || dialogOpen || document.activeElement === canvas;
  }
  canvas.addEventListener('focus', hint);
  canvas.addEventListener('blur', function() {
    setTimeout(hint, 0); // after the focus has landed elsewhere
  });
  window.addEventListener('resize', layout);
  document.addEventListener('fullscreenchange', layout);
  document.addEventListener('webkitfullscreenchange', layout);
  layout();

  var Module = window.Module = {
    canvas: canvas,
    preRun: [prepare],
    print: function(text) {
      console.log(text);
    },
    // Standard error, a line at a time. A message box's lines, the first marked and the
    // rest of its text up to the box itself (messageBox), are already the page's dialog.
    printErr: function(text) {
      inBox = inBox || text.indexOf('[message box] ') === 0;
      if (inBox || !text) {
        errors.push(text);
        console.warn(text);
      } else {
        notice(text);
      }
    },
    onExit: ended,
    onAbort: function(what) {
      running = false;
      hint();
      say('The game stopped: ' + what);
    },
    // The web host's calls into the page (web_bridge.js).
    page: {
      layout: layout,
      windowShown: function() {
        layout();
      },
      windowHidden: function() {},
      frameShown: function(number, renderer) {
        var now = performance.now();
        if (stats.firstFrame === null) {
          stats.firstFrame = now;
        }
        stats.lastFrame = now;
        stats.framesShown++;
        stats.lastFrameNumber = number;
        stats.renderer = renderer;
      },
      messageBox: messageBox,
      // F11 and Alt+Enter, as the button.
      fullScreen: toggleFullScreen,
      audio: function(audio) {
        stats.audio = audio;
        showSound(audio);
      },
      resumed: function(milliseconds) {
        stats.away += milliseconds;
        stats.turns++;
      },
    },
  };

  var program = document.createElement('script');
  program.src = 'muffins.js';
  program.onerror = function() {
    say('The game could not be loaded: muffins.js is missing');
  };
  document.body.appendChild(program);
})();
