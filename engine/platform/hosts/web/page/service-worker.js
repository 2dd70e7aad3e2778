// Muffin Meltdown's service worker: keeps the site's files in the browser, so that after one
// visit the game starts without a network. make_site.py (site_install.py) writes in the
// site's files and a version made from their contents: equal sites give equal workers, and a
// release that changes any file is a new worker. The browser compares the worker with the
// site's on each visit with a network; a new one takes its release's files (each checked
// against its hash), takes over from the old and deletes the old release's files.
//
// The site's files come from the kept release first; anything else (an input script that
// is not the site's, a file asked for with a query) from the network, as without a worker.
'use strict';

// Written in by make_site.py: the version, and each file's name and sha256 (as integrity).
const VERSION = 'unversioned';
const FILES = {};

const PREFIX = 'muffin-meltdown-';
const CACHE = PREFIX + VERSION;
const PAGE = 'index.html';
const SCOPE = new URL('./', self.location.href);

function keep(cache, name) {
    // Past the browser's own cache, which may still hold the last release's file.
    const request = new Request(name, {cache: 'no-cache', integrity: FILES[name]});
    return fetch(request).then((response) => {
        if (!response.ok) {
            throw new Error(`${name}: ${response.status} ${response.statusText}`);
        }
        if (!response.redirected) {
            return cache.put(name, response);
        }
        // Hosts that send index.html on to the folder's address: a page answered with a
        // redirected response is refused, so only its contents are kept.
        const {status, statusText, headers} = response;
        return cache.put(name, new Response(response.body, {status, statusText, headers}));
    });
}

self.addEventListener('install', (event) => {
    const names = Object.keys(FILES);
    event.waitUntil(caches.open(CACHE)
                        .then((cache) => Promise.all(names.map((name) => keep(cache, name))))
                        .catch((error) => {
                            // Half a release is none: the old one stays until a whole one
                            // arrives.
                            return caches.delete(CACHE).then(() => {
                                throw error;
                            });
                        })
                        .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(caches.keys()
                        .then((kept) => Promise.all(
                                  kept.filter((name) => name.startsWith(PREFIX) && name !== CACHE)
                                      .map((name) => caches.delete(name))))
                        .then(() => self.clients.claim()));
});

// The file of the site a request asks for, or null for one the network answers.
function siteFile(request) {
    if (request.method !== 'GET') {
        return null;
    }
    const url = new URL(request.url);
    if (url.origin !== SCOPE.origin || !url.pathname.startsWith(SCOPE.pathname)) {
        return null;
    }
    const name = url.pathname.slice(SCOPE.pathname.length) || PAGE;
    if (!Object.prototype.hasOwnProperty.call(FILES, name)) {
        return null;
    }
    // The page whatever its settings (index.html?script=...); other files by name alone.
    return name === PAGE || !url.search ? name : null;
}

self.addEventListener('fetch', (event) => {
    const name = siteFile(event.request);
    if (name) {
        event.respondWith(caches.open(CACHE)
                              .then((cache) => cache.match(name))
                              .then((kept) => kept || fetch(event.request)));
    }
});
