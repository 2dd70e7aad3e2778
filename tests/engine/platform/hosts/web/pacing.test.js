// The web host's pacing (web_bridge.js) against simulated displays: the engine's frame
// pacer asks to sleep until each frame is due, the host wakes on the display frame that
// shows it, and the game keeps 60 frames a second at 60, 120 and 144 Hz (and displays a
// little off those), every frame on a display frame of its own, without stalls.
//
//   node --test tests/engine/platform/hosts/web/pacing.test.js
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');

const LIBRARY = path.join(__dirname, '..', '..', '..', '..', '..', 'engine', 'platform', 'hosts',
                          'web', 'web_bridge.js');

// Time, display frames and timers of a browser, simulated: events run in time order.
class Browser {
    constructor(hz) {
        this.interval = 1000 / hz;
        this.now = 0;
        this.events = [];
        this.nextId = 1;
        this.cancelled = new Set();
    }
    at(time, run) {
        const id = this.nextId++;
        this.events.push({time, id, run});
        return id;
    }
    requestAnimationFrame(callback) {
        // Callbacks asked for now run on the next display frame.
        const tick = (Math.floor(this.now / this.interval + 1e-9) + 1) * this.interval;
        this.at(tick, () => callback(tick));
    }
    setTimeout(run, milliseconds) {
        return this.at(this.now + Math.max(0, milliseconds), run);
    }
    clearTimeout(id) {
        this.cancelled.add(id);
    }
    runUntil(done) {
        while (!done() && this.events.length) {
            this.events.sort((a, b) => a.time - b.time || a.id - b.id);
            const event = this.events.shift();
            if (this.cancelled.has(event.id)) {
                continue;
            }
            this.now = Math.max(this.now, event.time);
            event.run();
        }
    }
}

// The library's TolvoWeb object, living in the simulated browser.
function host(browser) {
    const library = {};
    const context = {
        LibraryManager: {library},
        mergeInto: (target, source) => Object.assign(target, source),
        performance: {now: () => browser.now},
        document: {hidden: false, listeners: new Set()}, // visibilitychange's
        MessageChannel: function() {
            this.port1 = {};
            this.port2 = {postMessage: () => browser.setTimeout(() => this.port1.onmessage(), 0)};
        },
        requestAnimationFrame: (callback) => browser.requestAnimationFrame(callback),
        setTimeout: (run, milliseconds) => browser.setTimeout(run, milliseconds),
        clearTimeout: (id) => browser.clearTimeout(id),
        Module: {},
    };
    vm.runInNewContext(fs.readFileSync(LIBRARY, 'utf8'), context);
    // In the program the object is a global of muffins.js by this name.
    context.TolvoWeb = library.$TolvoWeb;
    const document = context.TolvoWeb.document = context.document;
    document.addEventListener = (type, listener) => document.listeners.add(listener);
    document.removeEventListener = (type, listener) => document.listeners.delete(listener);
    return context.TolvoWeb;
}

// The engine's FramePacer (engine/display/frame_pacer.cpp) at 60 frames a second.
class Pacer {
    constructor(rate) {
        this.period = 1000 / rate;
        this.started = false;
        this.due = 0;
    }
    delay(now) {
        if (!this.started || now >= this.due) {
            this.started = true;
            this.due = now + this.period;
            return 0;
        }
        const wait = this.due - now;
        this.due += this.period;
        return wait;
    }
}

// Plays `frames` frames, each taking `work(n)` milliseconds before its presentation;
// returns the presentation times.
function play(hz, frames, work, rate = 60) {
    const browser = new Browser(hz);
    const web = host(browser);
    const pacer = new Pacer(rate);
    const presented = [];
    function frame() {
        while (presented.length < frames) {
            browser.now += work(presented.length);
            const milliseconds = Math.floor(pacer.delay(browser.now));
            if (milliseconds > 0) {
                web.sleep(milliseconds, () => {
                    presented.push(browser.now);
                    frame();
                });
                return;
            }
            presented.push(browser.now); // a late frame is shown at once
        }
    }
    frame();
    browser.runUntil(() => presented.length >= frames);
    return {presented, interval: browser.interval};
}

function check(hz, work, label) {
    const frames = 1200;
    const {presented, interval} = play(hz, frames, work);
    assert.strictEqual(presented.length, frames, `${label}: the game stopped`);
    // After the first second, when the host has learnt the display's interval.
    const settled = presented.slice(60);
    const seconds = (settled[settled.length - 1] - settled[0]) / 1000;
    const rate = (settled.length - 1) / seconds;
    assert.ok(Math.abs(rate - 60) < 0.3, `${label}: ${rate.toFixed(2)} frames a second`);
    // Each frame on a display frame of its own (on a display slower than 60 Hz, as many
    // as it has), none held back more than one display frame longer than its turn.
    const shownOn = settled.map((time) => Math.ceil(time / interval - 1e-6));
    const distinct = new Set(shownOn).size;
    const possible = Math.min(settled.length, Math.floor(seconds * 1000 / interval) + 1);
    assert.ok(distinct >= possible * 0.99,
              `${label}: ${distinct} of ${settled.length} frames seen`);
    let longest = 0;
    for (let i = 1; i < settled.length; i++) {
        longest = Math.max(longest, settled[i] - settled[i - 1]);
    }
    assert.ok(longest <= 1000 / 60 + interval + 0.5,
              `${label}: a gap of ${longest.toFixed(2)} ms between frames`);
}

const DISPLAYS = [60, 120, 144, 59.94, 75, 100, 165];
const WORK = {
    'a light frame (1 ms)': () => 1,
    'frames of 0.5 to 9 ms': (n) => 0.5 + ((n * 7919) % 17) / 2,
    'a heavy frame (12 ms)': () => 12,
};

for (const hz of DISPLAYS) {
    for (const [name, work] of Object.entries(WORK)) {
        test(`${hz} Hz, ${name}: 60 game frames a second`,
             () => check(hz, work, `${hz} Hz, ${name}`));
    }
}

// Nearly the whole frame's time spent making it, on the displays the game names.
for (const hz of [60, 120, 144]) {
    test(`${hz} Hz, a frame of 14 ms: 60 game frames a second`,
         () => check(hz, () => 14, `${hz} Hz, 14 ms`));
}

for (const hz of [60, 240]) {
    test(`240 frames a second asked for (?fps=240) on a ${hz} Hz display`, () => {
        const {presented} = play(hz, 2400, () => 1, 240);
        const settled = presented.slice(240);
        const rate = (settled.length - 1) * 1000 / (settled[settled.length - 1] - settled[0]);
        assert.ok(Math.abs(rate - 240) < 2, `${rate.toFixed(1)} frames a second`);
    });
}

// A hidden page (no display frames) holds the game where it gave the browser its turn,
// however long its timers run, until it is shown again.
for (const [name, turn] of [['sleeping', (web, done) => web.sleep(15, done)],
                            ['yielding', (web, done) => web.yieldNow(done)]]) {
    test(`a hidden page holds the game (${name}) until it is shown`, () => {
        const browser = new Browser(60);
        const web = host(browser);
        let woke = 0;
        turn(web, () => (woke = browser.now));
        web.document.hidden = true; // as it waits: no display frames, only timers
        browser.requestAnimationFrame = () => {};
        browser.at(5000, () => {
            web.document.hidden = false;
            web.document.listeners.forEach((listener) => listener());
        });
        browser.runUntil(() => woke > 0);
        assert.strictEqual(woke, 5000);
        assert.strictEqual(web.document.listeners.size, 0, 'the page is still listened to');
    });
}

// A busy machine: the display frames come every 20 to 40 ms instead of 16.7, the frames
// light or (a slow phone) taking most of the game's 16.7 ms.
for (const [hz, work] of [[50, 1], [25, 1], [30, 14], [50, 14]]) {
    test(`display frames at ${hz} Hz, frames of ${work} ms: 60 game frames a second`, () => {
        const {presented} = play(hz, 1200, () => work);
        const settled = presented.slice(60);
        const rate = (settled.length - 1) * 1000 / (settled[settled.length - 1] - settled[0]);
        assert.ok(Math.abs(rate - 60) < 0.5, `${rate.toFixed(2)} frames a second`);
    });
}

test('display frames that stop during a wait still wake the game', () => {
    const browser = new Browser(60);
    const web = host(browser);
    browser.requestAnimationFrame = () => {}; // the page went away without telling
    let woke = 0;
    web.sleep(15, () => {
        woke = browser.now;
    });
    browser.runUntil(() => woke > 0);
    assert.ok(woke > 15 && woke <= 15 + 1000 / 60, `woke at ${woke} ms`);
});
