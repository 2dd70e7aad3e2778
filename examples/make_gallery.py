#!/usr/bin/python3
"""Makes the examples' gallery: one page with a screenshot of each example, which opens
the example's web build in the page.

    make_gallery.py --sites build-web/examples [--shots tests/examples/expected]

Each example's site is the folder of its name in SITES (tolvo_add_game's SITE); the
gallery is SITES/index.html with the screenshots in SITES/shots/. The screenshots are
the examples' checked last frames (tests/examples/expected), and each one's title and
text are the comment at the top of its source.
"""

import argparse
import html
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SHOTS = os.path.join(os.path.dirname(HERE), "tests", "examples", "expected")
EXAMPLES = ["sprites", "scrolling", "blending", "typing", "sound", "pictures"]

PAGE = """<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Tolvo examples</title>
<style>
body { margin: 0; background: #15171c; color: #e8e8ea; font: 16px/1.45 sans-serif; }
header, main { max-width: 1100px; margin: 0 auto; padding: 0 16px; }
h1 { font-size: 1.6em; margin: 18px 0 4px; }
#player { display: none; margin: 12px 0 20px; }
#player.open { display: block; }
#player iframe { width: 100%%; height: 560px; border: 0; background: #000; }
#player p { margin: 4px 0; }
#cards { display: grid; grid-template-columns: repeat(auto-fill, minmax(320px, 1fr));
         gap: 16px; padding-bottom: 24px; }
.card { display: block; color: inherit; text-decoration: none; background: #22252d;
        border-radius: 6px; overflow: hidden; }
.card:hover, .card:focus { outline: 2px solid #f0c040; }
.card img { display: block; width: 100%%; height: auto; image-rendering: pixelated; }
.card h2 { font-size: 1.1em; margin: 8px 12px 2px; }
.card p { margin: 0 12px 12px; font-size: 0.9em; color: #b8bac0; }
code { color: #f0c040; }
a { color: #8cc4ff; }
</style>
</head>
<body>
<header>
<h1>Tolvo examples</h1>
<p>Six small games on the Tolvo engine, one idea each, built for the web from the same
source as for Linux and Windows. Click a picture to play it here; Escape ends it.</p>
</header>
<main>
<section id="player" aria-live="polite">
<p><strong id="playing"></strong> &mdash; <a id="alone" href="#">open on its own page</a></p>
<iframe id="frame" title="The example being played" allow="fullscreen; autoplay"></iframe>
</section>
<section id="cards">
%(cards)s
</section>
</main>
<script>
// A card opens its example in the player above the cards, instead of leaving the page.
for (const card of document.querySelectorAll('.card')) {
    card.addEventListener('click', (event) => {
        event.preventDefault();
        const player = document.getElementById('player');
        const frame = document.getElementById('frame');
        document.getElementById('playing').textContent = card.dataset.title;
        document.getElementById('alone').href = card.href;
        player.classList.add('open');
        frame.src = card.getAttribute('href');
        player.scrollIntoView({behavior: 'smooth'});
        frame.focus();
    });
}
</script>
</body>
</html>
"""

CARD = """<a class="card" id="card-%(name)s" href="%(name)s/index.html" data-title="%(title)s">
<img src="shots/%(name)s.png" alt="%(title)s: a frame of the example" width="639" height="399">
<h2>%(title)s</h2>
<p>%(text)s <code>examples/%(name)s/%(name)s.cpp</code></p>
</a>"""


def describe(name):
    """The title and first paragraph of the comment at the top of the example's source."""
    lines = []
    with open(os.path.join(HERE, name, name + ".cpp"), encoding="utf-8") as stream:
        for line in stream:
            if not line.startswith("//"):
                break
            lines.append(line[2:].strip())
    title = lines[0].rstrip(".")
    paragraph = []
    for line in lines[2:]:
        if not line:
            break
        paragraph.append(line)
    return title, " ".join(paragraph)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sites", required=True, help="the folder of the examples' sites")
    parser.add_argument("--shots", default=SHOTS, help="a PNG picture of each, NAME.png")
    args = parser.parse_args()
    os.makedirs(os.path.join(args.sites, "shots"), exist_ok=True)
    cards = []
    for name in EXAMPLES:
        if not os.path.exists(os.path.join(args.sites, name, "index.html")):
            raise SystemExit("make_gallery: %s/%s has no site (build it first)" % (args.sites, name))
        shutil.copyfile(os.path.join(args.shots, name + ".png"),
                        os.path.join(args.sites, "shots", name + ".png"))
        title, text = describe(name)
        cards.append(CARD % {"name": name, "title": html.escape(title), "text": html.escape(text)})
    with open(os.path.join(args.sites, "index.html"), "w", encoding="utf-8") as stream:
        stream.write(PAGE % {"cards": "\n".join(cards)})
    print("examples-web: the gallery is %s/index.html" % args.sites)
    return 0


if __name__ == "__main__":
    sys.exit(main())
