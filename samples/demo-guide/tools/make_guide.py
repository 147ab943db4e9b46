#!/usr/bin/env python3
"""Generate samples/demo-guide/guide.json, the source of the demo guide.

    python3 make_guide.py                check, then write guide.json and objects.txt
    python3 make_guide.py --check        check only; fail if either file is stale
    python3 make_guide.py --map          print objects.txt (name/label -> object index)
    python3 make_guide.py --verify DIR [--dump PROG]
                                         compare a packed guide in DIR with the
                                         layout computed here (uses vantrel-dump)

Standard library only. The content lives in this script and in
content_drugs.py and content_sites.py; every text is demonstration data.

Markup texts refer to other objects with "@{label}", replaced by that
object's index. The indexes are computed here with the packer's layout rules
(breadth-first, children ordered by type number, source order within a type;
the "types" list of the JSON fixes the type numbers), and --verify checks them
against the packed files.
"""

import json
import os
import re
import struct
import subprocess
import sys

sys.dont_write_bytecode = True   # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from guidetree import (Node, a, item, link, table, ref, assign_indexes, label_map,
                       resolve_text, strip_tags, takers, write_json, TYPES)
import content_drugs as D
import content_sites as S
from packedreader import PackedGuide

TOOLS = os.path.dirname(os.path.abspath(__file__))
GUIDE_DIR = os.path.dirname(TOOLS)
GUIDE_JSON = os.path.join(GUIDE_DIR, "guide.json")
OBJECTS_TXT = os.path.join(GUIDE_DIR, "objects.txt")
IMAGES = os.path.join(GUIDE_DIR, "images")
EDITION = [1, 0, 20261209]

DEMO = "Demonstration data \u2014 not for clinical use."
DEMO_P = "<p><i>%s</i></p>" % DEMO

DRUG = {d[0]: d for d in D.DRUGS}
CLASS = {c[0]: c for c in D.CLASSES}
ORG = {o[0]: o for o in D.ORGANISMS}


def drug_link(key, text=None):
    return a("mono_" + key, text or DRUG[key][1].lower())


def expand(text):
    """[drug] -> monograph link; [[label|text]] -> link to label."""
    if text is None:
        return None
    text = re.sub(r"\[\[([^|\]]+)\|([^\]]+)\]\]", lambda m: a(m.group(1), m.group(2)), text)
    return re.sub(r"\[([a-z]+)\]", lambda m: drug_link(m.group(1)), text)


def html_page(title, body):
    return "<h3>%s</h3>%s%s" % (title, DEMO_P, body)


# ---------------------------------------------------------------------------
# The index is filled while the sections are built: entry text -> sub-items.

class IndexBook:
    def __init__(self):
        self.entries = {}   # plain lower-case key -> [text, [(sub text, target)]]

    def add(self, text, sub, target):
        key = strip_tags(text).lower()
        entry = self.entries.setdefault(key, [text, []])
        if (sub, target) not in entry[1]:
            entry[1].append((sub, target))

    def sorted_entries(self):
        return [self.entries[k] for k in sorted(self.entries)]


INDEX = IndexBook()


# ---------------------------------------------------------------------------
# Information pages (named objects reached from the command bar menus).

def about_pages():
    about = table("About Vantrel Guide", "html", name="AboutVantrelGuide")
    about.add(Node("html", html_page("Vantrel Guide", (
        "<p>This is the <b>demonstration edition</b> of Vantrel Guide, a pocket reference "
        "for antimicrobial therapy. It is small on purpose: it holds one example of every "
        "kind of page the reader can show, filled with invented values.</p>"
        "<p>Start from the %s, the %s or the %s. The page %s explains what each kind of "
        "page does and where to find an example.</p>"
        "<p>Edition: demonstration, December 2026.</p>") % (
            a("TOC", "contents"), a("INDEX", "index"), a("Abbreviations", "abbreviations"),
            a("note_howto", "How to use this guide")))))
    korvax = table("About KORVAX, Inc.", "html", name="AboutKORVAX")
    korvax.add(Node("html", html_page("KORVAX, Inc.", (
        "<p>KORVAX, Inc. is the fictional publisher of this demonstration guide. "
        "It exists only so that the reader's \"About KORVAX, Inc.\" page has "
        "something to show.</p>"
        "<p>No product, address or person named in this guide is real.</p>"
        "<p>Web site (not followed by the reader): <a href=\"http://example.org/\">example.org</a></p>"))))
    notice = table("Legitimacy Notice", "html", name="LegitimacyNotice")
    notice.add(Node("html", html_page("Legitimacy Notice", (
        "<p>Everything in this guide is <b>demonstration data</b>. Doses, spectra, "
        "recommendations, trade names and codes are invented to show how the reader "
        "presents content. They are not clinical advice and must never be used to treat "
        "a patient.</p>"
        "<p>The guide is provided as is, without warranty of any kind.</p>"
        "<p>&copy; 2026 KORVAX, Inc. (fictional).</p>"))))
    for node, text in ((about, "About Vantrel Guide"), (korvax, "About KORVAX, Inc."),
                       (notice, "Legitimacy notice")):
        INDEX.add(text, text, node.name)
    INDEX.add("KORVAX, Inc.", "About KORVAX, Inc.", "AboutKORVAX")
    INDEX.add("Disclaimer", "Legitimacy notice", "LegitimacyNotice")
    INDEX.add("Demonstration data (not for clinical use)", "Legitimacy notice", "LegitimacyNotice")
    return [about, korvax, notice]


# ---------------------------------------------------------------------------
# Notes and definitions: popups, footnotes and footnote collections.

POPUPS = [
    ("mic", "MIC", "<b>MIC</b>: minimum inhibitory concentration, the lowest drug "
     "concentration that stops visible growth in the laboratory."),
    ("loading", "Loading dose", "<b>Loading dose</b>: a larger first dose that reaches the "
     "target level quickly, before regular dosing takes over."),
    ("halflife", "Half-life", "<b>Half-life</b>: the time in which the drug level falls to "
     "one half. Longer in renal impairment for renally cleared drugs."),
    ("qt", "QT prolongation", "<b>QT prolongation</b>: lengthening of the QT interval on the "
     "ECG; several antimicrobials add to the effect of other drugs."),
    ("bioavail", "Bioavailability", "<b>Bioavailability</b>: the share of an oral dose that "
     "reaches the circulation. High values allow an early switch from IV to oral."),
    ("ibw", "Ideal body weight", "<b>Ideal body weight</b> (IBW): a weight estimated from "
     "height and sex, used by the CrCl calculator."),
]

LONG_FOOTNOTE = (
    "<b>Why this footnote is long.</b> A footnote that does not fit on the screen opens "
    "in a full-screen window instead of a small popup. This text is long enough for that "
    "on the smallest screens. " +
    " ".join("Paragraph %d of the demonstration text repeats a plain sentence about "
             "reading footnotes, so that the window needs to scroll.<br>" % i for i in range(1, 13))
)


def notes_table():
    notes = table("Notes and Definitions")
    for key, title, text in POPUPS:
        notes.add(Node("popup", "%s<br><i>%s</i>" % (text, DEMO), label="popup_" + key))
        INDEX.add(title, "Definition", "popup_" + key)
    notes.add(
        Node("footnote", "Cross-reactivity between penicillins and cephalosporins is low in "
             "this demo text; carbapenems are rarely affected. <i>%s</i>" % DEMO,
             label="fn_allergy"),
        Node("footnote", "Take blood cultures before the first dose when that causes no "
             "delay. <i>%s</i>" % DEMO, label="fn_cultures"),
        Node("footnote", LONG_FOOTNOTE + "<i>%s</i>" % DEMO, label="fn_long"),
        Node("footnotes", "General notes", label="fns_general", children=[
            Node("footnote", "<b>1.</b> Doses are for adults with normal renal and liver "
                 "function unless stated. <i>%s</i>" % DEMO),
            Node("footnote", "<b>2.</b> Durations count from the first effective dose."),
            Node("footnote", "<b>3.</b> Local resistance data take precedence over any table "
                 "in this guide."),
        ]),
        Node("footnotes", "Notes to the spectrum table", label="fns_spectrum", children=[
            Node("footnote", text) for text in SPECTRUM_NOTES.values()
        ]),
    )
    INDEX.add("General notes", "General notes (footnotes)", "fns_general")
    INDEX.add("Footnotes", "General notes", "fns_general")
    INDEX.add("Footnotes", "Notes to the spectrum table", "fns_spectrum")
    INDEX.add("Allergy, cross-reactivity", "Footnote", "fn_allergy")
    INDEX.add("Blood cultures", "Footnote", "fn_cultures")
    INDEX.add("Long footnote (example)", "Footnote", "fn_long")
    return notes


# ---------------------------------------------------------------------------
# Figures.

FIGURES = [
    ("shapes", "bacterial_shapes", "Figure 1. Bacterial shapes (schematic)",
     "Clusters and chains of cocci above, straight and curved rods below. "
     "Purple stands for Gram-positive, pink for Gram-negative staining.", True),
    ("curve", "dosing_curve", "Figure 2. Drug level after repeated doses",
     "Each blue mark is a dose; the green line is the drug level; the dashed red line is "
     "a target level such as the %s." % a("popup_mic", "MIC"), True),
    ("flow", "decision_flow", "Figure 3. Two question chains lead to one recommendation",
     None, False),
    ("bands", "renal_bands", "Figure 4. Renal function bands",
     "Green: CrCl above 50 ml/min; yellow: 10 to 50; orange: below 10; red: dialysis. "
     "See the %s." % a("renal_table", "renal dose table"), False),
]


def figure_files(stem, landscape):
    sizes = [(240, 320), (480, 640)] + ([(320, 240)] if landscape else [])
    return ["images/%s_%dx%d.png" % (stem, w, h) for w, h in sizes]


def figures_table():
    figs = table("Figures")
    for key, stem, caption, note, landscape in FIGURES:
        node = Node("image", "%s <i>(demo)</i>" % caption, label="fig_" + key)
        node.add(Node("data", image=figure_files(stem, landscape)))
        if note is not None:
            node.add(Node("note", "%s<br><br><i>%s</i>" % (note, DEMO)))
        figs.add(node)
    INDEX.add("Bacterial shapes (figure)", "Figure 1", "fig_shapes")
    INDEX.add("Gram stain, shapes", "Figure 1", "fig_shapes")
    INDEX.add("Drug level curve (figure)", "Figure 2", "fig_curve")
    INDEX.add("Decision flow (figure)", "Figure 3", "fig_flow")
    INDEX.add("Renal function bands (figure)", "Figure 4", "fig_bands")
    INDEX.add("Figures", "Figure 1. Bacterial shapes", "fig_shapes")
    INDEX.add("Figures", "Figure 2. Drug level after repeated doses", "fig_curve")
    INDEX.add("Figures", "Figure 3. Decision flow", "fig_flow")
    INDEX.add("Figures", "Figure 4. Renal function bands", "fig_bands")
    return figs


# ---------------------------------------------------------------------------
# Spectrum of activity: a tight crt table with three top-level items.
#   A "all organisms and drugs"  -> arrangement 2 (rows B, columns C)
#   B organisms (groups of leaves, each leaf holds one field per drug)
#                                -> arrangement 1 (columns from the item, rows C)
#   C drugs (groups of leaves)   -> arrangement 0 (rows B, columns from the item)

SPECTRUM_NOTES = {
    "s": "Active against enterococci only together with a cell-wall agent (synergy). <i>%s</i>" % DEMO,
    "c": "Given by mouth for <i>C. difficile</i> infection only; not absorbed. <i>%s</i>" % DEMO,
    "u": "Reaches useful levels in urine only: lower urinary tract infection. <i>%s</i>" % DEMO,
    "r": "Never used alone: resistance emerges quickly. <i>%s</i>" % DEMO,
    "e": "Strains producing extended-spectrum beta-lactamases (ESBL) are resistant. <i>%s</i>" % DEMO,
    "m": "Activity against MRSA varies between strains; check local data. <i>%s</i>" % DEMO,
}

SPECTRUM_CELL = {"2": "<b>++</b>", "1": "+", "v": "<i>\u00b1</i>", "0": "0", "n": "\u2013"}


def spectrum_cell(code):
    if code in SPECTRUM_CELL:
        return SPECTRUM_CELL[code]
    fn = a("fn_spec_" + code, "\u00a7")
    return {"s": "+<sup>s</sup> " + fn, "c": "<b>++</b> " + fn, "u": "+ " + fn,
            "r": "+ " + fn, "e": "<b>++</b> " + fn, "m": "<i>\u00b1</i> " + fn}[code]


def spectrum_table():
    tbl = table("Spectrum of Activity (demo)", "tight crt", label="spec_table")
    tbl.add(Node("field", (
        "<b>Key to the spectrum table</b><br>"
        "<b>++</b> usually very active; + active; <i>\u00b1</i> variable; 0 not active; "
        "\u2013 no data.<br>+<sup>s</sup> synergy only.<br>"
        "\u00a7 tap for a footnote; %s.<br><i>%s</i>") % (
            a("fns_spectrum", "all notes of this table"), DEMO), label="spec_key"))
    for code, text in SPECTRUM_NOTES.items():
        tbl.add(Node("footnote", text, label="fn_spec_" + code))
    drugs = [d for cls in D.ANTIBACTERIAL_CLASSES for d in D.DRUGS if d[2] == cls]
    whole = item("All organisms and antibacterials (demo)", label="spec_all")
    orgs = item("Organisms", label="spec_orgs")
    for gkey, gtitle in D.ORGANISM_GROUPS:
        group = item("%s (demo)" % gtitle, label="spec_orggroup_" + gkey)
        for okey, oname, short, g in D.ORGANISMS:
            if g != gkey:
                continue
            leaf = item("<i>%s</i>" % oname, label="spec_org_" + okey)
            pos = [o[0] for o in D.ORGANISMS].index(okey)
            for d in drugs:
                leaf.add(Node("field", spectrum_cell(D.SPECTRUM[d[0]].replace(" ", "")[pos])))
            group.add(leaf)
            INDEX.add("<i>%s</i>" % oname, "Spectrum of activity", "spec_org_" + okey)
            if short:
                INDEX.add(short, "Spectrum: <i>%s</i>" % oname, "spec_org_" + okey)
        orgs.add(group)
        INDEX.add(gtitle, "Spectrum of activity", "spec_orggroup_" + gkey)
    columns = item("Antibacterials", label="spec_drugs")
    for cls in D.ANTIBACTERIAL_CLASSES:
        group = item("%s (demo)" % CLASS[cls][1], label="spec_class_" + cls)
        for d in drugs:
            if d[2] == cls:
                group.add(item(d[1], label="spec_drug_" + d[0]))
        columns.add(group)
    tbl.add(whole, orgs, columns)
    INDEX.add("Spectrum of activity", "Whole table", "spec_all")
    INDEX.add("Spectrum of activity", "Table overview", "spec_table")
    INDEX.add("Key to the tables", "Spectrum table key", "spec_key")
    INDEX.add("Key to the tables", "Renal table key", "renal_key")
    INDEX.add("Susceptibility", "Spectrum of activity", "spec_all")
    return tbl


# ---------------------------------------------------------------------------
# Renal dose adjustment: a second tight crt table, drugs against CrCl bands.

RENAL_BANDS = ["CrCl &gt;50 ml/min", "CrCl 10\u201350 ml/min", "CrCl &lt;10 ml/min", "Haemodialysis"]


def renal_table():
    tbl = table("Renal Dose Adjustment (demo)", "tight crt", label="renal_table")
    tbl.add(Node("field", (
        "<b>Key to the renal table</b><br>Percentages are of the usual dose; intervals "
        "replace the usual interval. <b>by level</b>: dose by measured serum levels.<br>"
        "\u00a7 tap for a footnote. Estimate CrCl with the %s.<br><i>%s</i>") % (
            a("calc_crcl", "CrCl calculator"), DEMO), label="renal_key"))
    tbl.add(Node("footnote", "On dialysis days give the dose after the session. <i>%s</i>" % DEMO,
                 label="fn_renal_hd"),
            Node("footnote", "Measure a trough level before the next dose and extend the "
                 "interval until it is below the target. <i>%s</i>" % DEMO, label="fn_renal_lvl"))
    whole = item("Dose adjustment in renal impairment: all drugs (demo)", name="DOSAGE_CRCL_OK")
    drugs = item("Drugs", label="renal_drugs")
    for cls in CLASS:
        group = item("%s (demo)" % CLASS[cls][1], label="renal_class_" + cls)
        for d in D.DRUGS:
            if d[2] != cls:
                continue
            leaf = item(d[1], label="renal_drug_" + d[0])
            for cell in D.RENAL_PATTERNS[d[6]]:
                leaf.add(Node("field", cell.format(hd=a("fn_renal_hd", "\u00a7"),
                                                   lvl=a("fn_renal_lvl", "\u00a7"))))
            group.add(leaf)
        drugs.add(group)
    bands = item("Creatinine clearance bands (demo)", label="renal_bands")
    for text in RENAL_BANDS:
        bands.add(item(text))
    tbl.add(whole, drugs, bands)
    INDEX.add("Renal dose adjustment", "All drugs", "DOSAGE_CRCL_OK")
    INDEX.add("Renal dose adjustment", "By CrCl band", "renal_bands")
    INDEX.add("Renal dose adjustment", "Table overview", "renal_table")
    INDEX.add("Haemodialysis", "Renal dose adjustment", "renal_bands")
    INDEX.add("Dialysis, dosing", "Footnote", "fn_renal_hd")
    return tbl


# ---------------------------------------------------------------------------
# Drug monographs: a tight hierarchy with field names.

MONO_FIELDS = ["Class", "Adult dose", "Paediatric dose", "Renal impairment",
               "Adverse effects", "Pregnancy", "Monitoring", "Notes"]


def monographs_table():
    tbl = table("Drug Monographs (demo)", "tight hierarchy", label="mono_table")
    for name in MONO_FIELDS:
        tbl.add(Node("field name", name))
    for cls, title, adverse, pregnancy, monitoring in D.CLASSES:
        group = item(title, label="mono_class_" + cls)
        for key, generic, c, trades, adult, paed, renal, note in D.DRUGS:
            if c != cls:
                continue
            extra = []
            if cls in ("mac", "fq"):
                extra.append("See %s." % a("popup_qt", "QT prolongation"))
            if cls == "pen":
                extra.append("Allergy: see the %s." % a("fn_allergy", "footnote"))
            if key in ("vancomycin", "gentamicin", "amikacin", "tobramycin"):
                extra.append("See %s and %s." % (a("note_tdm", "drug monitoring"),
                                                  a("fig_curve", "Figure 2")))
            notes = " ".join(([note] if note else []) + extra +
                             ["Trade names (invented): %s." % ", ".join(trades), "<i>%s</i>" % DEMO])
            fields = [
                title,
                "Demo value: %s." % adult,
                "Demo value: %s." % paed if paed else None,
                "%s See the %s." % (D.RENAL_WORDS[renal], a("renal_drug_" + key, "renal dose table")),
                adverse,
                pregnancy,
                monitoring,
                notes,
            ]
            leaf = item(generic, label="mono_" + key)
            for text in fields:
                leaf.add(Node("field", text))
            group.add(leaf)
            INDEX.add(generic, "Monograph", "mono_" + key)
            if cls in D.ANTIBACTERIAL_CLASSES:
                INDEX.add(generic, "Spectrum of activity", "spec_drug_" + key)
            INDEX.add(generic, "Renal dose adjustment", "renal_drug_" + key)
            INDEX.add(generic, "Generic and trade names", "dual_table")
            for trade in trades:
                INDEX.add(trade, "%s: monograph" % generic, "mono_" + key)
                INDEX.add(trade, "Generic and trade names", "dual_table")
        tbl.add(group)
        INDEX.add(title, "Monographs", "mono_class_" + cls)
        if cls in D.ANTIBACTERIAL_CLASSES:
            INDEX.add(title, "Spectrum of activity", "spec_class_" + cls)
        INDEX.add(title, "Renal dose adjustment", "renal_class_" + cls)
    INDEX.add("Drug monographs", "All drugs", "mono_table")
    return tbl


# ---------------------------------------------------------------------------
# Empiric therapy by site: a linked tight hierarchy.

def empiric_table():
    tbl = table("Empiric Therapy by Site (demo)", "linked tight hierarchy", label="empiric_table")
    for name in S.FIELD_NAMES:
        tbl.add(Node("field name", name))
    for skey, stitle, conditions in S.SITES:
        group = item(stitle, label="site_" + skey)
        for key, title, synonyms, fields in conditions:
            leaf = item(title, label="cond_" + key)
            if isinstance(fields, str):
                leaf.add(link(fields[2:]))
            else:
                texts = list(fields)
                texts[4] = ("%s <i>%s</i>" % (texts[4], DEMO)) if texts[4] else "<i>%s</i>" % DEMO
                for text in texts:
                    leaf.add(Node("field", expand(text)))
            group.add(leaf)
            for name in [title] + synonyms:
                INDEX.add(name, title, "cond_" + key)
        tbl.add(group)
        INDEX.add(stitle + " infections", "Empiric therapy", "site_" + skey)
    INDEX.add("Empiric therapy", "By site of infection", "empiric_table")
    return tbl


# ---------------------------------------------------------------------------
# Clinical notes: an "html" table with one page per item.

NOTES = [
    ("howto", "How to use this guide", (
        "<p>Each kind of page of the reader has an example in this guide:</p><ul>"
        "<li>Index with search: %s (type a few letters).</li>"
        "<li>Contents as a tree: %s.</li>"
        "<li>Tables with Compare and Restore: %s, %s, %s and %s. Tap headings to "
        "select rows and columns, then Compare; tap a cell to see where it sits; "
        "tap \u00a7 for a footnote; Key shows the key and help.</li>"
        "<li>Dual list: %s.</li>"
        "<li>Tight hierarchy with a fields page: %s. Linked tight hierarchy: %s.</li>"
        "<li>Pictures: %s, %s.</li>"
        "<li>Popups and footnotes: %s, %s, %s, %s.</li>"
        "<li>Tools: the %s and the %s.</li>"
        "<li>Key and abbreviations: %s.</li></ul>") % (
            a("INDEX", "Index"), a("TOC", "Contents"),
            a("spec_all", "the whole spectrum table"), a("spec_class_pen", "penicillins against all organisms"),
            a("spec_orggroup_gp", "Gram-positives against all antibacterials"),
            a("renal_class_amg", "aminoglycosides by CrCl band"),
            a("dual_table", "generic and trade names"),
            a("mono_table", "drug monographs"), a("empiric_table", "empiric therapy by site"),
            a("fig_shapes", "Figure 1"), a("fig_curve", "Figure 2"),
            a("popup_mic", "a popup"), a("fn_allergy", "a footnote"),
            a("fns_general", "a list of footnotes"), a("fn_long", "a long footnote"),
            a("calc_crcl", "CrCl calculator"), a("pep_tree", "post-exposure decision tree"),
            a("Abbreviations", "Key/Abbreviations"))),
    ("sepsis", "Sepsis: the first hour (demo)", (
        "<p>Recognise sepsis early and give the first dose of an antimicrobial within the "
        "hour. %s</p><ol><li>Take blood cultures (%s).</li>"
        "<li>Give %s or, with a severe penicillin allergy, %s.</li>"
        "<li>Add %s when MRSA is likely.</li><li>Review at 48 hours.</li></ol>"
        "<p>Loading doses: see %s and %s.</p>") % (
            a("fn_cultures", "\u00a7"), a("fn_cultures", "footnote"), drug_link("piptazo"),
            drug_link("meropenem"), drug_link("vancomycin"), a("popup_loading", "loading dose"),
            a("fig_curve", "Figure 2"))),
    ("allergy", "Penicillin allergy (demo)", (
        "<p>Ask what happened and when. A rash years ago differs from anaphylaxis.</p>"
        "<p>Cross-reactivity: %s. Alternatives for common infections are listed under "
        "%s.</p><p>Cephalosporins in this guide: %s.</p>") % (
            a("fn_allergy", "footnote"), a("empiric_table", "empiric therapy"),
            a("mono_class_ceph", "monographs"))),
    ("tdm", "Therapeutic drug monitoring (demo)", (
        "<p>Some drugs are dosed by measured levels: %s, %s and %s. The %s shows peaks "
        "and troughs after repeated doses.</p><p>Related terms: %s, %s, %s.</p>"
        "<p>Renal dosing of these drugs: %s.</p>") % (
            drug_link("vancomycin"), drug_link("gentamicin"), drug_link("amikacin"),
            a("fig_curve", "drug level figure"), a("popup_halflife", "half-life"),
            a("popup_loading", "loading dose"), a("popup_mic", "MIC"),
            a("renal_class_amg", "aminoglycosides in the renal table"))),
    ("prophylaxis", "Surgical prophylaxis (demo)", (
        "<p>Give one dose within the hour before the incision; repeat during long "
        "operations.</p><table border=1 cellpadding=2><tr><th>Operation</th><th>Choice</th></tr>"
        "<tr><td>Clean orthopaedic</td><td>%s</td></tr>"
        "<tr><td>Colorectal</td><td>%s with %s</td></tr>"
        "<tr><td>Penicillin allergy</td><td>%s</td></tr></table>") % (
            drug_link("cefuroxime"), drug_link("cefuroxime"), drug_link("metronidazole"),
            drug_link("teicoplanin"))),
    ("stewardship", "Antimicrobial stewardship (demo)", (
        "<p>Start smart, then focus: review the diagnosis, the cultures and the route "
        "every day. Switch to oral when %s allows it.</p>"
        "<p>More reading (outside links are not opened by the reader): "
        "<a href=\"http://example.org/stewardship\">example.org</a>.</p>") % (
            a("popup_bioavail", "bioavailability"))),
    ("renal", "Renal function and dosing (demo)", (
        "<p>Estimate creatinine clearance with the %s, then look the drug up in the %s. "
        "%s shows the four bands used in this guide.</p>") % (
            a("calc_crcl", "CrCl calculator"), a("renal_table", "renal dose table"),
            a("fig_bands", "Figure 4"))),
    ("gram", "Reading a Gram stain (demo)", (
        "<p>%s shows the shapes to look for. Gram-positive organisms stain purple, "
        "Gram-negative ones pink.</p><p>What the shapes suggest: %s, %s.</p>") % (
            a("fig_shapes", "Figure 1"), a("spec_orggroup_gp", "Gram-positive bacteria"),
            a("spec_orggroup_gn", "Gram-negative bacteria"))),
    ("pep", "Occupational exposure (demo)", (
        "<p>After a needlestick or splash: wash, report and assess at once.</p>"
        "<p>Work through the %s: step 1 gives the exposure code, step 2 the HIV status "
        "code; together they select a recommendation. %s sketches the two chains.</p>") % (
            a("pep_tree", "post-exposure decision tree"), a("fig_flow", "Figure 3"))),
]


def notes_html_table():
    tbl = table("Clinical Notes (demo)", "html", label="notes_table")
    tbl.add(Node("html", html_page("Clinical Notes", "<ul>%s<li>%s</li></ul>" % (
        "".join("<li>%s</li>" % a("note_" + k, t) for k, t, _ in NOTES),
        a("DOSAGE_CRCL_BAD", "Standard dosing with normal renal function")))))
    for key, title, body in NOTES:
        tbl.add(item(title, Node("html", html_page(title, body)), label="note_" + key))
        INDEX.add(title.replace(" (demo)", ""), "Clinical note", "note_" + key)
    tbl.add(item("Standard dosing with normal renal function (CrCl 90 ml/min or more)",
                 Node("html", html_page("Standard dosing (demo)", (
                     "<p>With a creatinine clearance of 90 ml/min or more, use the usual adult "
                     "doses listed in the %s. No renal adjustment is needed.</p>"
                     "<p>Check again when renal function changes: %s.</p>") % (
                         a("mono_table", "drug monographs"), a("calc_crcl", "CrCl calculator")))),
                 name="DOSAGE_CRCL_BAD"))
    INDEX.add("Standard dosing", "Normal renal function", "DOSAGE_CRCL_BAD")
    INDEX.add("Clinical notes", "All notes", "notes_table")
    INDEX.add("Quick start", "How to use this guide", "note_howto")
    INDEX.add("Surgical prophylaxis", "Clinical note", "note_prophylaxis")
    INDEX.add("Therapeutic drug monitoring", "Clinical note", "note_tdm")
    return tbl


# ---------------------------------------------------------------------------
# Generic and trade names: a dual list.

def dual_list_table():
    tbl = table("Generic and Trade Names (demo)", "dual list", label="dual_table")
    generic = Node("list", "Generic")
    trade = Node("list", "Trade")
    pairs = [(d[1], t, d[0]) for d in D.DRUGS for t in d[3]]
    trade_label = {t: "dual_trade_%d" % i for i, (_, t, _) in enumerate(pairs)}
    for d in sorted(D.DRUGS, key=lambda d: d[1].lower()):
        generic.add(Node("item", d[1].lower(), label="dual_gen_" + d[0],
                         children=[link(trade_label[d[3][0]])]))
    for g, t, key in sorted(pairs, key=lambda p: p[1].lower()):
        trade.add(Node("item", "<b>%s</b>" % t, label=trade_label[t],
                       children=[link("dual_gen_" + key)]))
    tbl.add(generic, trade)
    INDEX.add("Generic and trade names", "Dual list", "dual_table")
    INDEX.add("Trade names", "Generic and trade names", "dual_table")
    return tbl


# ---------------------------------------------------------------------------
# Calculators.

def calculators_table():
    tbl = table("Calculators", label="calc_table")
    tbl.add(item("Creatinine Clearance (CrCl) Calculator", label="calc_crcl"))
    for text in ("Creatinine clearance calculator", "CrCl calculator", "Calculators",
                 "Ideal body weight"):
        INDEX.add(text, "Creatinine Clearance (CrCl) Calculator", "calc_crcl")
    return tbl


# ---------------------------------------------------------------------------
# Post-exposure prophylaxis decision tree.

def answer(text, target):
    """An answer leads to a further question (a Node) or to a result (a label)."""
    node = Node("answer", text)
    node.add(target if isinstance(target, Node) else link(target))
    return node


def question(text, *answers, label=None):
    return Node("question", text, children=answers, label=label)


EC_RESULTS = [
    ("ec1", "EC 1 (demo): small-volume contact with mucous membrane or broken skin"),
    ("ec2", "EC 2 (demo): large-volume contact or a less severe puncture"),
    ("ec3", "EC 3 (demo): severe percutaneous exposure"),
    ("ecnone", "EC not applicable (demo): intact skin only"),
]
SC_RESULTS = [
    ("sc1", "HIV SC 1 (demo): source positive, lower titer"),
    ("sc2", "HIV SC 2 (demo): source positive, higher titer"),
    ("scunknown", "HIV SC Unknown (demo): source or status unknown"),
    ("scneg", "HIV SC not applicable (demo): source tested negative"),
]

# (EC, SC, first link is EC?, recommendation)
VERSIONS = [
    ("ec1", "sc1", True, "PEP may not be warranted; discuss the small risk with the exposed person."),
    ("ec1", "sc2", False, "Consider the basic two-drug regimen (demo regimen A)."),
    ("ec2", "sc1", True, "Recommend the basic two-drug regimen (demo regimen A)."),
    ("ec2", "sc2", True, "Recommend the expanded three-drug regimen (demo regimen B)."),
    ("ec3", "sc1", False, "Recommend the expanded three-drug regimen (demo regimen B)."),
    ("ec3", "sc2", True, "Recommend the expanded three-drug regimen (demo regimen B) at once."),
    ("ec1", "scunknown", True, "Generally not warranted; consider demo regimen A if the source is likely positive."),
    ("ec2", "scunknown", False, "Consider demo regimen A when the source has risk factors."),
    ("ec3", "scunknown", True, "Consider demo regimen A; expand to regimen B when the source is likely positive."),
    ("ec1", "scneg", True, "No PEP: the source tested negative."),
    ("ec2", "scneg", True, "No PEP: the source tested negative."),
    ("ec3", "scneg", True, "No PEP: the source tested negative."),
]


def decision_tree_table():
    tbl = table("Post-Exposure Prophylaxis (PEP) (demo)", "decision tree", label="pep_tree")
    r = lambda key: "pep_" + key
    step1 = question(
        "What was the source material? <i>(%s)</i>" % DEMO,
        answer("Blood, fluid with visible blood, or another potentially infectious fluid",
               question("What kind of exposure was it?",
                        answer("Mucous membrane or broken skin",
                               question("How large was the volume?",
                                        answer("Small: a few drops, brief contact", r("ec1")),
                                        answer("Large: several drops, a splash or long contact", r("ec2")),
                                        label="pep_q_volume")),
                        answer("Puncture or cut (percutaneous)",
                               question("How severe was the injury?",
                                        answer("Less severe: solid needle, superficial scratch", r("ec2")),
                                        answer("More severe: hollow needle, deep puncture, visible blood on the device", r("ec3")),
                                        label="pep_q_severity")),
                        answer("Intact skin only", r("ecnone")),
                        label="pep_q_kind")),
        answer("Another body fluid without visible blood (for example urine or saliva)", r("ec1")),
        label="pep_q_source")
    step2 = question(
        "What is the HIV status of the exposure source? <i>(%s)</i>" % DEMO,
        answer("HIV positive",
               question("Which describes the source's infection?",
                        answer("Lower titer: no symptoms, low viral load", r("sc1")),
                        answer("Higher titer: advanced disease, acute infection or high viral load", r("sc2")),
                        label="pep_q_titer")),
        answer("HIV negative (tested)", r("scneg")),
        answer("Status unknown", r("scunknown")),
        answer("Source unknown", r("scunknown")),
        label="pep_q_status")
    tbl.add(step1, step2)
    for key, text in EC_RESULTS + SC_RESULTS:
        tbl.add(Node("result", text, label=r(key)))
    for ec, sc, ec_first, text in VERSIONS:
        links = [link(r(ec)), link(r(sc))]
        if not ec_first:
            links.reverse()
        tbl.add(Node("version", "<p><b>Recommendation:</b> %s</p><p>Follow-up testing and "
                     "counselling as local policy says.</p><p><i>%s</i></p>" % (text, DEMO),
                     children=links))
    for text in ("Post-exposure prophylaxis (PEP)", "PEP decision tree", "Exposure code (EC)",
                 "HIV status code (HIV SC)", "Decision tree"):
        INDEX.add(text, "Post-exposure decision tree", "pep_tree")
    INDEX.add("Occupational exposure", "Clinical note", "note_pep")
    return tbl


# ---------------------------------------------------------------------------
# Key/Abbreviations: the object named "Abbreviations".

ABBREVIATIONS = [
    ("<b>\u00a7</b>", "Footnote mark: tap it in a table to read the footnote."),
    ("AUC", "Area under the concentration-time curve."),
    ("bd", "Twice daily."),
    ("BMI", "Body mass index."),
    ("CAP", "Community-acquired pneumonia."),
    ("CDI", "<i>Clostridioides difficile</i> infection."),
    ("CMV", "Cytomegalovirus."),
    ("CNS", "Central nervous system."),
    ("CoNS", "Coagulase-negative staphylococci."),
    ("COPD", "Chronic obstructive pulmonary disease."),
    ("CrCl", "Creatinine clearance, in ml/min. Estimate it with the %s." % a("calc_crcl", "calculator")),
    ("CSF", "Cerebrospinal fluid."),
    ("EC", "Exposure code, step 1 of the %s." % a("pep_tree", "PEP decision tree")),
    ("ECG", "Electrocardiogram."),
    ("ESBL", "Extended-spectrum beta-lactamase."),
    ("g", "Gram."),
    ("h", "Hour."),
    ("HAP", "Hospital-acquired pneumonia."),
    ("HD", "Haemodialysis."),
    ("HIV", "Human immunodeficiency virus."),
    ("HIV SC", "HIV status code, step 2 of the %s." % a("pep_tree", "PEP decision tree")),
    ("IBW", "Ideal body weight; see %s." % a("popup_ibw", "the definition")),
    ("IM", "Intramuscular."),
    ("IV", "Intravenous."),
    ("kg", "Kilogram."),
    ("MDR", "Multidrug-resistant."),
    ("mg", "Milligram."),
    ("mg/dl", "Milligrams per decilitre."),
    ("MIC", "Minimum inhibitory concentration; see %s." % a("popup_mic", "the definition")),
    ("ml/min", "Millilitres per minute."),
    ("MRSA", "Methicillin-resistant <i>Staphylococcus aureus</i>."),
    ("MSSA", "Methicillin-susceptible <i>Staphylococcus aureus</i>."),
    ("od", "Once daily."),
    ("PEP", "Post-exposure prophylaxis."),
    ("PO", "By mouth."),
    ("q6h", "Every 6 hours."),
    ("qds", "Four times daily."),
    ("SSTI", "Skin and soft tissue infection."),
    ("TDM", "Therapeutic drug monitoring; see %s." % a("note_tdm", "the note")),
    ("tds", "Three times daily."),
    ("TMP-SMX", "Trimethoprim-sulfamethoxazole."),
    ("UTI", "Urinary tract infection."),
    ("VAP", "Ventilator-associated pneumonia."),
    ("VRE", "Vancomycin-resistant enterococci."),
    ("XDR", "Extensively drug-resistant."),
]


def abbreviations_table():
    tbl = table("Abbreviations", name="Abbreviations")
    for abbr, text in sorted(ABBREVIATIONS, key=lambda x: x[0].lower()):
        tbl.add(item(abbr, Node("field", "<b>%s</b>: %s<br><br><i>%s</i>" % (abbr, text, DEMO))))
        plain = strip_tags(abbr)
        if plain.isalpha() or "/" in plain or " " in plain or "-" in plain:
            INDEX.add("%s (abbreviation)" % plain, "Key/Abbreviations", "Abbreviations")
    INDEX.add("Abbreviations", "Key/Abbreviations", "Abbreviations")
    return tbl


# ---------------------------------------------------------------------------
# Contents: three levels, every leaf links somewhere.

def contents_table():
    def leaf(text, target):
        return item(text, link(target))

    def section(text, *children, label=None):
        return item(text, *children, label=label)

    toc = table("Contents", name="TOC")
    toc.add(
        leaf(DEMO, "LegitimacyNotice"),
        section("About this guide",
                leaf("About Vantrel Guide", "AboutVantrelGuide"),
                leaf("About KORVAX, Inc.", "AboutKORVAX"),
                leaf("Legitimacy Notice", "LegitimacyNotice"),
                leaf("How to use this guide", "note_howto")),
        section("Antimicrobial tables",
                section("Spectrum of activity",
                        leaf("Table overview", "spec_table"),
                        leaf("All organisms and antibacterials", "spec_all"),
                        leaf("Organisms", "spec_orgs"),
                        leaf("Antibacterials", "spec_drugs"),
                        *[leaf(t, "spec_orggroup_" + k) for k, t in D.ORGANISM_GROUPS],
                        *[leaf(CLASS[c][1], "spec_class_" + c) for c in D.ANTIBACTERIAL_CLASSES]),
                section("Renal dose adjustment",
                        leaf("Table overview", "renal_table"),
                        leaf("All drugs", "DOSAGE_CRCL_OK"),
                        leaf("By creatinine clearance band", "renal_bands"),
                        *[leaf(CLASS[c][1], "renal_class_" + c) for c in CLASS])),
        section("Drug information",
                section("Drug monographs",
                        leaf("All monographs", "mono_table"),
                        *[leaf(CLASS[c][1], "mono_class_" + c) for c in CLASS]),
                section("Names",
                        leaf("Generic and trade names", "dual_table"))),
        section("Infections by site",
                section("Empiric therapy",
                        leaf("All sites", "empiric_table"),
                        *[leaf(t, "site_" + k) for k, t, _ in S.SITES]),
                section("Clinical notes",
                        leaf("All notes", "notes_table"),
                        *[leaf(t, "note_" + k) for k, t, _ in NOTES],
                        leaf("Standard dosing", "DOSAGE_CRCL_BAD"))),
        section("Tools",
                section("Calculators",
                        leaf("Creatinine Clearance (CrCl) Calculator", "calc_crcl")),
                section("Decision trees",
                        leaf("Post-exposure prophylaxis (PEP)", "pep_tree"))),
        section("Figures",
                section("Diagrams",
                        *[leaf(caption.split(". ", 1)[1], "fig_" + k) for k, _, caption, _, _ in FIGURES])),
        section("Reference",
                section("Abbreviations and notes",
                        leaf("Key/Abbreviations", "Abbreviations"),
                        leaf("General notes", "fns_general"),
                        leaf("Notes to the spectrum table", "fns_spectrum"),
                        *[leaf("Definition: " + t, "popup_" + k) for k, t, _ in POPUPS],
                        leaf("A long footnote", "fn_long")),
                section("Index",
                        leaf("Index", "INDEX"))),
    )
    INDEX.add("Contents", "Table of contents", "TOC")
    INDEX.add("Index", "The index itself", "INDEX")
    return toc


# ---------------------------------------------------------------------------
# The index, built last from everything the sections registered.

MISC_INDEX = [
    ("Q fever", "Doxycycline monograph", "mono_doxycycline"),
    ("Yeast infections", "Fluconazole monograph", "mono_fluconazole"),
    ("Vaccination", "Not covered in this demo; see the notes", "notes_table"),
    ("XDR tuberculosis", "Key/Abbreviations", "Abbreviations"),
    ("Oral switch", "Bioavailability", "popup_bioavail"),
    ("IV to oral switch", "Bioavailability", "popup_bioavail"),
    ("Nephrotoxicity", "Therapeutic drug monitoring", "note_tdm"),
    ("Ototoxicity", "Aminoglycoside monographs", "mono_class_amg"),
    ("Weight, ideal", "Definition", "popup_ibw"),
    ("Levels, serum", "Therapeutic drug monitoring", "note_tdm"),
]


def index_table():
    for text, sub, target in MISC_INDEX:
        INDEX.add(text, sub, target)
    tbl = table("Index", name="INDEX")
    for text, subs in INDEX.sorted_entries():
        tbl.add(item(text, *[item(s, link(t)) for s, t in subs]))
    return tbl


# ---------------------------------------------------------------------------

def build():
    root = Node("guide", "Vantrel Guide")
    root.add(*about_pages())
    root.add(notes_table(), figures_table(), spectrum_table(), renal_table(),
             monographs_table(), empiric_table(), notes_html_table(), dual_list_table(),
             calculators_table(), decision_tree_table(), abbreviations_table(),
             contents_table())
    root.add(index_table())   # last: the other sections fill the index
    order = assign_indexes(root)
    labels = label_map(order)
    for node in order:
        if node.text is not None:
            node.text = resolve_text(node.text, labels)
    return root, order, labels


# ---------------------------------------------------------------------------
# Checks.

NAMED = ["INDEX", "TOC", "AboutVantrelGuide", "AboutKORVAX", "LegitimacyNotice",
         "Abbreviations", "DOSAGE_CRCL_BAD", "DOSAGE_CRCL_OK"]


def check(root, order, labels):
    problems = []

    def fail(message):
        problems.append(message)

    names = {n.name: n for n in order if n.name}
    for name in NAMED:
        if name not in names:
            fail("named object %s is missing" % name)

    # links and markup references resolve, and each target is some viewer's page
    targets = []
    for node in order:
        if node.link is not None:
            if node.link not in labels:
                fail("link to unknown label %r" % node.link)
            else:
                targets.append((labels[node.link], "link under %s" % node.parent.key()))
        if node.text is not None:
            for m in re.finditer(r'href="(\d+)"', node.text, re.I):
                targets.append((order[int(m.group(1))], "markup of %s" % node.key()))
            if "@{" in node.text:
                fail("unresolved reference in %s" % node.key())
            if any(ord(ch) > 0xFFFF for ch in node.text):
                fail("character outside the basic plane in %s" % node.key())
        if node.image is not None:
            for f in node.image:
                path = f if isinstance(f, str) else f["file"]
                if not os.path.isfile(os.path.join(GUIDE_DIR, path)):
                    fail("image file %s is missing" % path)
    for name in NAMED:
        if name in names:
            targets.append((names[name], "named object"))
    dual = [n for n in order if n.type == "item"]
    for node, where in targets:
        if node.parent is not None and node.parent.type == "list" and node in dual:
            continue   # dual-list counterparts are not pages
        t = takers(node, names)
        if len(t) != 1:
            fail("%s (%s, from %s) is shown by %s" % (node.key(), node.type, where, t or "no viewer"))

    # index: size, letters, sort order by plain text, every entry leads somewhere
    index = names.get("INDEX")
    if index is not None:
        entries = index.kids("hierarchy item")
        plain = [strip_tags(e.text).lower() for e in entries]
        if len(entries) < 300:
            fail("index has %d entries, fewer than 300" % len(entries))
        missing = set("abcdefghijklmnopqrstuvwxyz") - {p[0] for p in plain}
        if missing:
            fail("index lacks letters %s" % "".join(sorted(missing)))
        if plain != sorted(plain):
            fail("index is not in plain-text order")
        if not any(e.text.startswith("<") for e in entries):
            fail("no index entry starts with markup")
        for e in entries:
            subs = e.kids("hierarchy item")
            if not subs or any(s.first("link") is None for s in subs):
                fail("index entry %r has a sub-item without a link" % e.text)

    # abbreviations: sorted by stored text (the Key list compares raw markup)
    abbr = names.get("Abbreviations")
    if abbr is not None:
        raw = [e.text.lower() for e in abbr.kids("hierarchy item")]
        if raw != sorted(raw):
            fail("abbreviations are not in stored-text order")
        for e in abbr.kids("hierarchy item"):
            if e.first("field") is None:
                fail("abbreviation %r has no explanation" % e.text)

    # tight crt tables: three top-level items; every row leaf of the middle item
    # holds one field per leaf of the last item
    def leaves(node):
        kids = node.kids("hierarchy item")
        if not kids:
            return [node]
        return [leaf for k in kids for leaf in leaves(k)]

    for tbl in (n for n in order if n.type == "table" and n.first("table type") is not None):
        kind = tbl.first("table type").text
        if kind == "tight crt":
            top = tbl.kids("hierarchy item")
            if len(top) != 3:
                fail("%s: %d top-level items, expected 3" % (tbl.text, len(top)))
                continue
            if tbl.first("field") is None:
                fail("%s has no key field" % tbl.text)
            columns = leaves(top[2])
            for row in leaves(top[1]):
                if len(row.kids("field")) != len(columns):
                    fail("%s: row %r has %d fields for %d columns" % (
                        tbl.text, row.text, len(row.kids("field")), len(columns)))
        elif kind in ("tight hierarchy", "linked tight hierarchy"):
            count = len(tbl.kids("field name"))
            if count == 0:
                fail("%s has no field names" % tbl.text)
            for leaf in (n for n in order if n.type == "hierarchy item" and n.parent is not None
                         and nearest_table_of(n) is tbl):
                if len(leaf.kids("field")) > count:
                    fail("%s: %r has more fields than field names" % (tbl.text, leaf.text))
        elif kind == "dual list":
            lists = tbl.kids("list")
            if len(lists) != 2:
                fail("dual list needs two lists")
                continue
            for mine, other in ((lists[0], lists[1]), (lists[1], lists[0])):
                its = mine.kids("item")
                if len(its) < 40:
                    fail("dual list %s has %d entries" % (mine.text, len(its)))
                for it in its:
                    target = labels.get(it.first("link").link) if it.first("link") else None
                    if target is None or target.parent is not other:
                        fail("dual list entry %r has no counterpart" % it.text)
        elif kind == "decision tree":
            qs = tbl.kids("question")
            if len(qs) != 2 or qs[1].index != qs[0].index + 1:
                fail("decision tree needs two consecutive root questions")
            for node in tbl.walk():
                if node.type == "answer" and (len(node.children) != 1 or
                                              node.children[0].type not in ("question", "link")):
                    fail("answer %r must hold one question or one link" % node.text)
                if node.type == "link" and labels[node.link].type != "result":
                    fail("decision-tree link to a non-result")
            for v in tbl.kids("version"):
                if len(v.kids("link")) != 2:
                    fail("version without two links")

    # contents: three levels, every leaf links
    toc = names.get("TOC")
    if toc is not None:
        depth = max(depth_of(n, toc) for n in toc.walk())
        if depth < 3:
            fail("contents has only %d levels" % depth)
        for n in toc.walk():
            if n.type == "hierarchy item" and not n.kids("hierarchy item") and n.first("link") is None:
                fail("contents leaf %r has no link" % n.text)

    # every page says it is demonstration data
    for node in order:
        if node.type in ("html", "footnote", "popup", "note") and node.parent.type != "footnotes":
            if DEMO not in node.text:
                fail("%s text without the demonstration notice" % node.key())
    return problems


def nearest_table_of(node):
    n = node.parent
    while n is not None and n.type != "table":
        n = n.parent
    return n


def depth_of(node, top):
    d = 0
    while node is not top and node is not None:
        node = node.parent
        d += 1
    return d


def summary(order, names):
    counts = {}
    for n in order:
        counts[n.type] = counts.get(n.type, 0) + 1
    lines = ["objects: %d" % len(order)]
    lines += ["  %-16s %d" % (t, counts[t]) for t in TYPES if t in counts]
    index = names["INDEX"]
    lines.append("index entries: %d" % len(index.kids("hierarchy item")))
    return "\n".join(lines)


# ---------------------------------------------------------------------------
# Comparing a packed guide with the computed layout.

def image_blob(files):
    """The image blob the packer is to write: n, 11-byte descriptors, files."""
    datas = []
    for f in files:
        with open(os.path.join(GUIDE_DIR, f), "rb") as fh:
            datas.append(fh.read())
    head = bytearray([len(datas)])
    offset = 1 + 11 * len(datas)
    for d in datas:
        width, height = struct.unpack(">II", d[16:24])
        head += struct.pack(">HHHBI", 0, width, height, 0, offset)
        offset += len(d)
    return bytes(head) + b"".join(datas)


def verify_packed(directory, dump, order, labels):
    """Read every object back and compare it with the computed layout; with a
    vantrel-dump program, also compare its answers for the named objects and
    a sample of entries."""
    problems = []
    guide = PackedGuide(directory)
    if guide.object_count != len(order):
        return ["object count %d, expected %d" % (guide.object_count, len(order))]
    if guide.type_names[:len(TYPES)] != TYPES:
        problems.append("type table differs: %s" % guide.type_names)
    expected_names = sorted((n.name, n.index) for n in order if n.name)
    if sorted(guide.names) != expected_names:
        problems.append("name table differs: %s" % guide.names)
    ids = []
    blob_count = 0
    for node in order:
        e = guide.entry(node.index)
        ids.append(e["id"])
        where = "object %d (%s)" % (node.index, node.key())
        parent = node.parent.index if node.parent is not None else 0
        if e["parent"] != parent or e["typeName"] != node.type:
            problems.append("%s: parent %d type %s, expected %d %s" % (
                where, e["parent"], e["typeName"], parent, node.type))
            continue
        group = [c for c in (node.parent.children if node.parent else [node]) if c.type == node.type]
        if node.parent is not None and e["run"] != len(group) - 1 - group.index(node):
            problems.append("%s: run %d" % (where, e["run"]))
        if node.text is not None:
            if e["kindName"] != "string" or e["text"] != node.text:
                problems.append("%s: text differs" % where)
            if node.type == "field" and e["value"] == 0:
                problems.append("%s: a field text got string number 0 (reads as empty)" % where)
        elif node.link is not None:
            if e["kindName"] != "object" or e["value"] != labels[node.link].index:
                problems.append("%s: link value %d, expected %d" % (where, e["value"], labels[node.link].index))
        elif node.image is not None:
            if e["kindName"] != "blob" or e["value"] >= len(guide.blobs) or \
                    guide.blobs[e["value"]] != image_blob(node.image):
                problems.append("%s: image blob differs" % where)
            blob_count += 1
        elif e["kindName"] != "none" or e["value"] != 0:
            problems.append("%s: expected no value, found %s %d" % (where, e["kindName"], e["value"]))
    if len(set(ids)) != len(ids):
        problems.append("persistent ids are not unique")
    by_id = [guide.entry(i)["byIdOrder"] for i in range(guide.object_count)]
    if [ids[i] for i in by_id] != sorted(ids):
        problems.append("byIdOrder does not list the objects by ascending id")
    if blob_count != len(guide.blobs):
        problems.append("%d blobs, expected %d" % (len(guide.blobs), blob_count))

    if dump:
        def run(*args):
            out = subprocess.run([dump, "--json", directory] + list(args), capture_output=True, text=True)
            if out.returncode != 0:
                raise RuntimeError("vantrel-dump %s failed: %s" % (" ".join(args), out.stderr.strip()))
            return json.loads(out.stdout)

        info = run("info")
        if not info.get("valid") or info.get("objectCount") != len(order):
            problems.append("vantrel-dump info: %s" % info)
        for name, index in expected_names:
            got = run("name", name)
            if got.get("index") != index:
                problems.append("vantrel-dump name %s: %s, expected %d" % (name, got, index))
        for node in order[::max(1, len(order) // 100)]:
            got = run("entry", str(node.index))
            if got.get("typeName") != node.type or got.get("text") != node.text:
                problems.append("vantrel-dump entry %d differs: %s" % (node.index, got))
    return problems


def object_map(labels):
    """Index, name or label, type and plain text of every named or labelled
    object: where to find the demonstration pages."""
    lines = ["# Object indexes of the demo guide's named and labelled objects.",
             "# Generated by tools/make_guide.py; regenerate it with the guide.",
             "# index\tname or label\ttype\ttext"]
    for key in sorted(labels, key=lambda k: (labels[k].index, k)):
        node = labels[key]
        text = " ".join(strip_tags(node.text or "").split())
        lines.append("%d\t%s\t%s\t%s" % (node.index, key, node.type, text[:60]))
    return "\n".join(lines) + "\n"


def main(argv):
    args = argv[1:]
    root, order, labels = build()
    names = {n.name: n for n in order if n.name}
    problems = check(root, order, labels)
    if problems:
        for p in problems:
            print("problem:", p, file=sys.stderr)
        return 1
    if "--map" in args:
        sys.stdout.write(object_map(labels))
        return 0
    if "--verify" in args:
        directory = args[args.index("--verify") + 1]
        dump = args[args.index("--dump") + 1] if "--dump" in args else None
        found = verify_packed(directory, dump, order, labels)
        for p in found:
            print("problem:", p, file=sys.stderr)
        print("packed guide %s: %s" % (directory, "matches" if not found else "%d problems" % len(found)))
        return 1 if found else 0
    tmp = GUIDE_JSON + ".tmp"
    write_json(tmp, root, EDITION)
    with open(tmp, "rb") as f:
        guide_bytes = f.read()
    os.remove(tmp)
    map_bytes = object_map(labels).encode("utf-8")
    outputs = [(GUIDE_JSON, guide_bytes), (OBJECTS_TXT, map_bytes)]
    if "--check" in args:
        stale = [os.path.basename(path) for path, data in outputs
                 if not os.path.exists(path) or open(path, "rb").read() != data]
        if stale:
            print("stale: %s; run tools/make_guide.py" % ", ".join(stale))
        else:
            print("guide.json and objects.txt are up to date")
        return 1 if stale else 0
    for path, data in outputs:
        with open(path + ".tmp", "wb") as f:
            f.write(data)
        os.replace(path + ".tmp", path)
    print(summary(order, names))
    print("wrote", ", ".join(os.path.relpath(path) for path, _ in outputs))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
