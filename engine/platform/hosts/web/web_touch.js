// The web host's touch controls (web_touch.cpp): what the page's controls for fingers hold,
// asked of the page (Module.page.touch, page/page.js) once a frame. Linked into muffins.js
// with --js-library, written as web_bridge.js is.
mergeInto(LibraryManager.library, {
    tolvo_web_touch: function() {
        const page = Module['page'];
        return page && page['touch'] ? page['touch']() | 0 : 0;
    },
});
