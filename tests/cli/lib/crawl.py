#!/usr/bin/env python3
"""Crawls an exported site from its home page and reports every link that
does not lead to a file of the export. Usage: crawl.py SITE_DIR [MIN_PAGES]"""
import html.parser
import os
import sys
import urllib.parse


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.links = []
        self.ids = set()

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name in ("href", "src") and value is not None:
                self.links.append(value)
            if name in ("id", "name") and value:
                self.ids.add(value)


def main():
    site = sys.argv[1]
    minimum = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    seen, queue, broken, checked = set(), ["index.html"], [], 0
    ids = {}
    anchors = []
    while queue:
        page = queue.pop()
        if page in seen:
            continue
        seen.add(page)
        if not page.endswith(".html"):
            continue
        parser = Links()
        with open(os.path.join(site, page), encoding="utf-8") as f:
            parser.feed(f.read())
        ids[page] = parser.ids
        for link in parser.links:
            url = urllib.parse.urlsplit(link)
            if url.scheme in ("http", "https"):
                continue
            if url.scheme or url.netloc or "/" in url.path or url.path.startswith("."):
                broken.append(f"{page}: {link} leaves the site")
                continue
            target = urllib.parse.unquote(url.path) or page
            checked += 1
            if not os.path.isfile(os.path.join(site, target)):
                broken.append(f"{page}: {link} (no file {target})")
                continue
            if url.fragment and not url.fragment.startswith("q="):
                anchors.append((page, target, urllib.parse.unquote(url.fragment)))
            queue.append(target)
    for page, target, fragment in anchors:
        if target in ids and fragment not in ids[target]:
            broken.append(f"{page}: {target}#{fragment} (no such anchor)")
    for b in broken[:20]:
        print("broken link:", b)
    html_pages = sum(1 for p in seen if p.endswith(".html"))
    print(f"crawled {html_pages} pages, {checked} links, {len(broken)} broken")
    if broken or html_pages < minimum:
        sys.exit(1)


main()
