#!/usr/bin/env python3
"""Writes the documentation pages the Help menu opens, from the help files.

usage: reference_pages.py RESOURCES DOCS [MAXIMA_MANUAL [VERSION]]

RESOURCES holds help.txt, overview.txt and the folder "pages"; DOCS is the
"docs" folder beside the program. Written:
  documentation.html        the front page: the overview
  reference/overview.html   the overview, in the reference folder
  reference/index.html      every builtin, command, operator and topic,
                            one anchor per name ("#sqrt", "#Plots in 2D")
  reference/maximacore.html the way to Maxima's manual: MAXIMA_MANUAL when
                            that file exists, else where to get it
  search.html               every name, topic and section of the pages,
                            with a field that narrows the list
  and each page of RESOURCES/pages at the same place below DOCS: its first
  line "title: ..." gives the title, the rest is the body, in which
  "{version}" stands for VERSION;
  and each file of RESOURCES/patterns, as it is, at the top of DOCS: the
  page patterns that the notebook's HTML export can use.
"""
import html
import os
import re
import shutil
import sys
import urllib.parse

NO_BREAK_SPACE = "\u00a0"
MAXIMA_ONLINE = "https://maxima.sourceforge.io/documentation.html"


def read_entries(path):
    """[(names, lines)] of a help file, in file order."""
    entries, names, lines = [], None, []
    with open(path, encoding="utf-8", errors="replace") as f:
        for raw in f:
            line = raw.rstrip("\r\n")
            if line.startswith("!"):
                if names is not None:
                    entries.append((names, lines))
                names, lines = line[1:].split(","), []
            elif line.startswith("#"):
                if names is not None:
                    entries.append((names, lines))
                names, lines = None, []
            elif names is not None and not line.startswith("//"):
                lines.append(line)
    if names is not None:
        entries.append((names, lines))
    return entries


def anchor_ids(name):
    """The anchors of a name: as written, and with no-break spaces."""
    ids = [name]
    if " " in name:
        ids.append(name.replace(" ", NO_BREAK_SPACE))
    return ids


def link(name, page=""):
    target = page + "#" + urllib.parse.quote(name, safe="")
    return '<a href="%s">%s</a>' % (html.escape(target), html.escape(name))


def see_also(line, known, page):
    """A "See also:" line with its names linked."""
    words = [w.strip() for w in line[len("See also:"):].split(",")]
    words = [w if w in known else w.rstrip(".") for w in words]
    linked = [link(w, page) if w in known else html.escape(w) for w in words if w]
    return "<p class=\"see\">See also: " + ", ".join(linked) + "</p>\n"


def entry_html(names, lines, known, page):
    out = "".join('<a id="%s"></a>' % html.escape(i) for n in names for i in anchor_ids(n))
    out += "<h2>%s</h2>\n" % html.escape(", ".join(names))
    block = []

    def flush():
        if block:
            out_lines = "\n".join(html.escape(l) for l in block)
            block.clear()
            return "<pre>%s</pre>\n" % out_lines
        return ""

    for line in lines:
        if line.startswith("See also:"):
            out += flush() + see_also(line, known, page)
        else:
            block.append(line)
    out += flush()
    return out


STYLE = """<style>
body { max-width: 52em; margin: 2em auto; font-family: sans-serif; line-height: 1.4; }
h1 { border-bottom: 2px solid #e9b06e; }
h2 { font-size: 110%; margin-top: 1.6em; border-bottom: 1px solid #ddd; }
pre { background: #f4f4f4; padding: 0.6em; white-space: pre-wrap; }
p.index a { margin-right: 0.6em; white-space: nowrap; }
p.see { margin-top: 0; }
td { vertical-align: top; padding: 0.2em 1em 0.2em 0; }
td:first-child { white-space: nowrap; font-weight: bold; }
ul.hits { list-style: none; padding-left: 0; }
ul.hits li { margin: 0.2em 0; }
span.what { color: #555; }
</style>"""


def page(title, body):
    return ("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>%s</title>\n"
            "%s\n</head>\n<body>\n<h1>%s</h1>\n%s</body>\n</html>\n"
            % (html.escape(title), STYLE, html.escape(title), body))


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def overview_page(overview, known, reference):
    body = ("<p>The overview of Kalix. The reference of every function, command and "
            "operator: <a href=\"%sindex.html\">Reference</a>; Maxima's manual: "
            "<a href=\"%smaximacore.html\">Maxima reference</a>.</p>\n" % (reference, reference))
    for names, lines in overview:
        body += entry_html(names, lines, known, reference + "index.html")
    return page("Kalix Documentation", body)


def reference_page(entries, known):
    names = sorted({n for ns, _ in entries for n in ns}, key=lambda n: (n.lower(), n))
    body = ("<p><a href=\"overview.html\">Overview</a> &middot; "
            "<a href=\"maximacore.html\">Maxima reference</a></p>\n")
    body += "<p class=\"index\">" + "\n".join(link(n) for n in names) + "</p>\n"
    for ns, lines in entries:
        body += entry_html(ns, lines, known, "")
    return page("Kalix Reference", body)


def maxima_page(manual):
    if manual and os.path.isfile(manual):
        url = "file://" + urllib.parse.quote(manual)
        head = "<meta http-equiv=\"refresh\" content=\"0; url=%s\">\n" % html.escape(url)
        body = ("<p>Maxima's manual is installed on this computer: "
                "<a href=\"%s\">%s</a>.</p>\n" % (html.escape(url), html.escape(manual)))
        return page("Maxima Reference", body).replace("<title>", head + "<title>", 1)
    body = ("<p>Maxima's manual is not installed on this computer. On Debian it comes with "
            "the package maxima-doc (<code>apt-get install maxima-doc</code>), in "
            "<code>%s</code>. It is also on Maxima's web site: <a href=\"%s\">%s</a>.</p>\n"
            "<p>Inside Kalix, <code>mxmhelp name</code> prints Maxima's help of a name, "
            "and <code>&amp;name</code> in the help window looks it up.</p>\n"
            % (html.escape(manual or "/usr/share/doc/maxima-doc/html"),
               MAXIMA_ONLINE, MAXIMA_ONLINE))
    return page("Maxima Reference", body)


def read_pages(folder):
    """[(path below folder, title, body)] of the hand-written pages."""
    pages = []
    for root, _, files in os.walk(folder):
        for name in sorted(files):
            if not name.endswith(".html"):
                continue
            path = os.path.join(root, name)
            with open(path, encoding="utf-8") as f:
                first, body = f.readline().rstrip("\n"), f.read()
            if not first.startswith("title: "):
                raise SystemExit("%s: the first line must be \"title: ...\"" % path)
            pages.append((os.path.relpath(path, folder), first[len("title: "):], body))
    return sorted(pages)


SECTION = re.compile(r'<h2 id="([^"]+)">(.*?)</h2>', re.S)
TAG = re.compile(r"<[^>]+>")


def plain(text):
    return html.unescape(TAG.sub("", text)).split()


def summary(lines):
    """The words of an entry up to its first full stop: the calls and the
    first sentence."""
    words = []
    for line in lines:
        if line.startswith("See also:") or line.startswith("Errors:"):
            break
        if line.startswith(" ") and words:
            break
        for word in line.split():
            words.append(word)
            if word.endswith(".") and len(words) > 1 or len(words) >= 40:
                return words
    return words


def search_page(entries, pages):
    """Every name with the first line of its help, and every section of the
    pages; the field hides what does not hold its text."""
    hits = []
    for names, lines in entries:
        text = " ".join(summary(lines))
        for name in names:
            target = "reference/index.html#" + urllib.parse.quote(name, safe="")
            hits.append((name.lower(), name, target, text))
    for path, title, body in pages:
        url = path.replace(os.sep, "/")
        for anchor, heading in SECTION.findall(body):
            label = " ".join(plain(heading))
            hits.append((label.lower(), label, url + "#" + anchor, title))
    hits.sort()
    items = "".join('<li><a href="%s">%s</a> <span class="what">%s</span></li>\n'
                    % (html.escape(t), html.escape(n), html.escape(d)) for _, n, t, d in hits)
    body = ("<p>Type a name or a word: the list keeps what holds it. Every name of the "
            "<a href=\"reference/index.html\">Reference</a> and every section of the pages "
            "is here.</p>\n"
            "<p><input id=\"find\" type=\"search\" size=\"40\" autofocus "
            "placeholder=\"Name or word\"></p>\n"
            "<ul class=\"hits\" id=\"hits\">\n%s</ul>\n"
            "<script>\n"
            "var field = document.getElementById(\"find\");\n"
            "var items = document.querySelectorAll(\"#hits li\");\n"
            "function narrow() {\n"
            "  var text = field.value.toLowerCase();\n"
            "  items.forEach(function (item) {\n"
            "    var found = item.textContent.toLowerCase().indexOf(text) >= 0;\n"
            "    item.style.display = found ? \"\" : \"none\";\n"
            "  });\n"
            "}\n"
            "field.addEventListener(\"input\", narrow);\n"
            "// search.html?q=word starts with the word\n"
            "var asked = new URLSearchParams(location.search).get(\"q\");\n"
            "if (asked) { field.value = asked; narrow(); }\n"
            "</script>\n" % items)
    return page("Search the Kalix Pages", body)


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    resources, docs = sys.argv[1], sys.argv[2]
    manual = sys.argv[3] if len(sys.argv) > 3 else ""
    version = sys.argv[4] if len(sys.argv) > 4 else ""
    builtins = read_entries(os.path.join(resources, "help.txt"))
    overview = read_entries(os.path.join(resources, "overview.txt"))
    entries = builtins + overview
    known = {n for ns, _ in entries for n in ns}
    write(os.path.join(docs, "documentation.html"), overview_page(overview, known, "reference/"))
    write(os.path.join(docs, "reference", "overview.html"), overview_page(overview, known, ""))
    write(os.path.join(docs, "reference", "index.html"), reference_page(entries, known))
    write(os.path.join(docs, "reference", "maximacore.html"), maxima_page(manual))
    pages = read_pages(os.path.join(resources, "pages"))
    for path, title, body in pages:
        write(os.path.join(docs, path), page(title, body.replace("{version}", version)))
    write(os.path.join(docs, "search.html"), search_page(entries, pages))
    patterns = os.path.join(resources, "patterns")
    for name in sorted(os.listdir(patterns)):
        shutil.copyfile(os.path.join(patterns, name), os.path.join(docs, name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
