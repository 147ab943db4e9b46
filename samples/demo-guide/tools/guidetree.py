"""Building blocks of the demo guide generator: content nodes, the object
layout of the packed guide, markup references, checks and JSON output.

Standard library only. make_guide.py holds the content itself.
"""

import json
import os
import re

# Type names in the order of the type-name table. Listing them all fixes every
# type number, so the generator can compute the object index of each node
# exactly as the packer lays the object table out (breadth-first, children
# sorted by type number, source order kept within one type).
TYPES = [
    "guide", "table", "table type", "field", "field name", "hierarchy item",
    "link", "html", "footnote", "footnotes", "popup", "image", "data", "note",
    "list", "item", "question", "answer", "result", "version",
]
TYPE_NUMBER = {name: i for i, name in enumerate(TYPES)}

# A reference to another node inside a markup text; replaced by that node's
# object index when the guide is written.
REF_PATTERN = re.compile(r"@\{([^}]+)\}")


def ref(label):
    return "@{%s}" % label


def a(label, text):
    """A markup link to the node with that label or name."""
    return '<a href="%s">%s</a>' % (ref(label), text)


class Node:
    __slots__ = ("type", "text", "link", "image", "name", "label", "children",
                 "parent", "index")

    def __init__(self, type, text=None, *, link=None, image=None, name=None,
                 label=None, children=None):
        if type not in TYPE_NUMBER:
            raise ValueError("unknown type name %r" % type)
        values = [v for v in (text, link, image) if v is not None]
        if len(values) > 1:
            raise ValueError("a node holds at most one value")
        self.type = type
        self.text = text
        self.link = link
        self.image = image
        self.name = name
        self.label = label
        self.children = []
        self.parent = None
        self.index = None
        for child in children or ():
            self.add(child)

    def add(self, *nodes):
        for node in nodes:
            if node is None:
                continue
            node.parent = self
            self.children.append(node)
        return self

    def kids(self, type):
        return [c for c in self.children if c.type == type]

    def first(self, type):
        for c in self.children:
            if c.type == type:
                return c
        return None

    def key(self):
        return self.name or self.label or "#%s" % self.index

    def walk(self):
        stack = [self]
        while stack:
            node = stack.pop()
            yield node
            stack.extend(reversed(node.children))


def link(target):
    return Node("link", link=target)


def table(title, table_type=None, **kw):
    node = Node("table", title, **kw)
    if table_type is not None:
        node.add(Node("table type", table_type))
    return node


def item(text, *children, **kw):
    return Node("hierarchy item", text, children=children, **kw)


# ---------------------------------------------------------------------------
# Layout: the object index of every node.

def assign_indexes(root):
    """Breadth-first, each parent's children ordered by type number (stable)."""
    order = [root]
    root.index = 0
    i = 0
    while i < len(order):
        node = order[i]
        for child in sorted(node.children, key=lambda c: TYPE_NUMBER[c.type]):
            child.index = len(order)
            order.append(child)
        i += 1
    return order


def label_map(order):
    labels = {}
    for node in order:
        for key in (node.name, node.label):
            if key is None:
                continue
            if key in labels:
                raise ValueError("label or name %r used twice" % key)
            labels[key] = node
    return labels


def resolve_text(text, labels):
    def sub(match):
        target = labels.get(match.group(1))
        if target is None:
            raise ValueError("markup reference to unknown label %r" % match.group(1))
        return str(target.index)
    return REF_PATTERN.sub(sub, text)


# ---------------------------------------------------------------------------
# Plain text of markup, as the reader's tag stripper produces it for the texts
# used here (entities first, then every complete tag removed).

ENTITIES = {"amp": "&", "lt": "<", "gt": ">", "nbsp": " ", "copy": "\u00a9"}


def strip_tags(text):
    text = re.sub(r"&([A-Za-z]*);", lambda m: ENTITIES.get(m.group(1), ""), text)
    text = text.replace("<br>", "\n")
    return re.sub(r"<[^<>]*>", "", text)


# ---------------------------------------------------------------------------
# Which content viewer takes an object; mirrors the reader's acceptance rules
# so that the checks can tell whether every link leads to a page.

def nearest_table(node):
    n = node if node.type == "table" else node.parent
    while n is not None and n.type != "table":
        n = n.parent
    return n


def table_type(tbl):
    if tbl is None:
        return None
    tt = tbl.first("table type")
    return tt.text if tt is not None else None


def takers(node, names):
    out = []
    tbl = nearest_table(node)
    ttype = table_type(tbl)
    title = tbl.text if tbl is not None else None
    first_item = node.first("hierarchy item")
    if node.type in ("footnote", "popup", "footnotes"):
        out.append("footnotes")
    if node is names.get("INDEX"):
        out.append("index search")
    if ttype == "tight crt" and (node.first("footnote") is not None or
                                 (first_item is not None and first_item.first("hierarchy item") is not None)):
        out.append("contents")
    elif title == "Contents" and (node is names.get("TOC") or
                                  (node.type == "hierarchy item" and first_item is not None)):
        out.append("contents")
    own = node if node.first("table type") is not None else tbl
    if own is not None and own.first("field name") is not None and \
            table_type(own) in ("tight hierarchy", "linked tight hierarchy"):
        out.append("tight hierarchy")
    if ttype == "html" or (node is not names.get("INDEX") and title == "Index") or \
            ttype == "decision tree" or (ttype == "tight crt" and node.type == "field"):
        out.append("html")
    if node.type == "image":
        out.append("image")
    if title == "Calculators":
        out.append("calculator")
    if node is names.get("Abbreviations"):
        out.append("key")
    if ttype == "dual list":
        out.append("dual list")
    if ttype == "tight crt" and node.type == "hierarchy item" and \
            (first_item is None or first_item.first("hierarchy item") is None):
        out.append("table")
    return out


# ---------------------------------------------------------------------------
# Output.

def to_json(node, guide_dir):
    out = {"type": node.type}
    if node.text is not None:
        out["text"] = node.text
    if node.link is not None:
        out["link"] = node.link
    if node.image is not None:
        out["image"] = list(node.image)
    if node.name is not None:
        out["name"] = node.name
    if node.label is not None:
        out["label"] = node.label
    if node.children:
        out["children"] = [to_json(c, guide_dir) for c in node.children]
    return out


def write_json(path, root, edition):
    doc = {"edition": edition, "types": TYPES, "root": to_json(root, os.path.dirname(path))}
    text = json.dumps(doc, ensure_ascii=False, indent=1)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text + "\n")
