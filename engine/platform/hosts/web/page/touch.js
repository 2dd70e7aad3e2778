// The page's controls for fingers (index.html, #touch): shown from the first touch until a
// key or a gamepad is used, and back with the next touch. Several fingers at once; a finger
// sliding from one control to another (a thumb from walk left to walk right) lets go of the
// first. The host asks once a frame which controls are held (read, through Module.page.touch
// in page.js) and presses the game's keys for them as for a gamepad (web_touch_pad.h, whose
// TouchControl numbers the controls as CONTROLS does). While they show, the page keeps the
// fingers to itself: no zoom, scrolling, selection or long-press menu.
window.TolvoTouch = (() => {
    'use strict';

    // In the order of the host's TouchControl: bit i of a reading is CONTROLS[i].
    const CONTROLS =
        ['walk-left', 'walk-right', 'milk', 'pin', 'splash', 'swing', 'start', 'pause', 'sound'];

    const fingers = new Map(); // touch identifier -> the control it is on, or -1
    let held = 0;              // the controls fingers are on
    let tapped = 0;            // controls touched since the host last read them
    let layer = null;
    let onShow = null;

    function touching() {
        return document.body.classList.contains('touch');
    }

    function bitOf(element) {
        const control = element && element.closest && element.closest('[data-control]');
        return control ? CONTROLS.indexOf(control.getAttribute('data-control')) : -1;
    }

    function showHeld() {
        layer.querySelectorAll('[data-control]').forEach((button) => {
            const bit = CONTROLS.indexOf(button.getAttribute('data-control'));
            button.classList.toggle('held', ((held | tapped) >> bit & 1) === 1);
        });
    }

    function update() {
        held = 0;
        fingers.forEach((bit) => {
            if (bit >= 0) {
                held |= 1 << bit;
            }
        });
        showHeld();
    }

    function show(shown) {
        if (touching() === shown) {
            return;
        }
        document.body.classList.toggle('touch', shown);
        layer.hidden = !shown;
        if (!shown) {
            fingers.clear();
            update();
        }
        if (onShow) {
            onShow(shown);
        }
    }

    // Each finger on whichever control is under it now.
    function fingersMoved(event) {
        let changed = false;
        for (const touch of event.changedTouches) {
            const ending = event.type === 'touchend' || event.type === 'touchcancel';
            const bit =
                ending ? -1 : bitOf(document.elementFromPoint(touch.clientX, touch.clientY));
            if (event.type === 'touchstart' && bit >= 0) {
                tapped |= 1 << bit; // seen by the host even if let go before it looks
            }
            if (ending) {
                changed = fingers.delete(touch.identifier) || changed;
            } else if (fingers.get(touch.identifier) !== bit) {
                fingers.set(touch.identifier, bit);
                changed = true;
            }
        }
        if (changed || event.type === 'touchstart') {
            update();
        }
    }

    function start(options) {
        layer = document.getElementById('touch');
        onShow = options.onShow;
        // A touch anywhere shows the controls; on them, and on the game, it is the page's.
        document.addEventListener('touchstart', () => {
            show(true);
        }, {capture: true, passive: true});
        const keep = {passive: false};
        for (const type of ['touchstart', 'touchmove', 'touchend', 'touchcancel']) {
            layer.addEventListener(type, (event) => {
                event.preventDefault();
                fingersMoved(event);
            }, keep);
            options.stage.addEventListener(type, (event) => {
                // The page's own buttons over the game (Play again) keep their taps.
                if (touching() && event.cancelable && !event.target.closest('button')) {
                    event.preventDefault(); // no scrolling, zoom or mouse emulation
                }
            }, keep);
        }
        // A screen reader's activation (a click with no finger down) is a tap.
        layer.addEventListener('click', (event) => {
            const bit = bitOf(event.target);
            if (bit >= 0 && !fingers.size) {
                tapped |= 1 << bit;
                showHeld();
            }
        });
        // Keys and pads put the controls away; the host hears of the controls letting go.
        document.addEventListener('keydown', () => {
            show(false);
        }, true);
        window.addEventListener('gamepadconnected', () => {
            show(false);
        });
        window.addEventListener('blur', () => {
            fingers.clear();
            update();
        });
        // iPhones zoom on a pinch even with touch-action (gesture events are their own),
        // and every browser offers a menu on a long press.
        for (const type of ['gesturestart', 'gesturechange', 'dblclick', 'contextmenu']) {
            document.addEventListener(type, (event) => {
                if (touching()) {
                    event.preventDefault();
                }
            }, {passive: false});
        }
    }

    // The host, once a frame: the controls held, or tapped since it last asked.
    function read() {
        const reading = held | tapped;
        if (tapped) {
            tapped = 0;
            showHeld();
        }
        return reading;
    }

    // The picture's scale from the largest that fits: whole multiples of the display's
    // pixels on a desktop (sharp); on a touch screen it fills the room, and where that is
    // not a whole multiple of at least three display pixels it is smoothed (bilinear),
    // which keeps thin lines and text legible where nearest-neighbour would drop or double
    // every other one.
    function scale(fit, canvas) {
        const filling = touching();
        const whole = Math.abs(fit - Math.round(fit)) < 1e-3;
        canvas.classList.toggle('smooth', filling && !whole && fit < 3);
        return filling || fit < 1 ? fit : Math.floor(fit);
    }

    return {start, read, scale, CONTROLS};
})();
