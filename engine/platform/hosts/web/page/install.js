// Keeps the game for a visit without a network: registers the site's service worker
// (service-worker.js beside the page) once the first frame is on the canvas, so that its
// downloads do not compete with the game's own (by then the browser's cache holds them).
// A site without the worker, or a browser without workers, plays as before.
(() => {
    'use strict';

    const workers = navigator.serviceWorker;
    if (!workers || !window.isSecureContext) {
        return;
    }
    // A new release taking over while this page still loads the last one's files: the
    // page loads again, all of it from the new release. Once the game runs it has all its
    // files, and the next visit gets the new release.
    const kept = !!workers.controller;
    workers.addEventListener('controllerchange', () => {
        if (kept && window.tolvoStats && window.tolvoStats.firstFrame === null) {
            window.location.reload();
        }
    });
    function register() {
        const stats = window.tolvoStats;
        if (stats && stats.firstFrame === null && stats.exitCode === null) {
            setTimeout(register, 250);
            return;
        }
        if (!stats || stats.firstFrame === null) {
            return; // the game ended before it showed a frame
        }
        workers.register('service-worker.js').catch((error) => {
            console.warn(`Not kept for a visit without a network: ${error.message}`);
        });
    }
    register();
})();
