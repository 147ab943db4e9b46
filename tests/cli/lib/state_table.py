#!/usr/bin/env python3
"""Checks one `state` line of vantrel-guide against a table of exact rows.

Usage: state_table.py STATE_FILE < TABLE
       state_table.py --batch DIR
       state_table.py --value PATH < STATE_LINE

--batch checks every pair N.line (the state line) and N.rows (the table) of
DIR in the order of the numbers in N, in one start; N.where, when there, says where the
table is written and starts each failure the table reports.

The second form prints the value at PATH (a string as it is, anything else
as JSON; nothing when it is missing), for scripts that compute with it.

STATE_FILE holds the state line (one JSON object). Each row of TABLE is

    PATH [OP] VALUE DESCRIPTION

PATH picks a value: `.` is the whole line, `.page.object` a key of a key,
`.commands."40006"` a key that is not a plain name, `.items[0]` an element
of a list (negative indexes count from the end). VALUE is one JSON value;
whatever follows it on the row is the description. OP is one of

    (none)    the value at PATH is exactly VALUE: same type, same keys,
              lists of the same length in the same order (true is not 1)
    !=        PATH is missing or its value is not exactly VALUE
    contains  the value at PATH is a string that contains the string VALUE
    lacks     PATH is missing or is a string that does not contain VALUE
    has       the value at PATH is a list with an element exactly VALUE
    hasnt     PATH is missing or is a list with no element exactly VALUE
    absent    PATH is missing (no VALUE)
    present   PATH is there, whatever its value (no VALUE)

A step `[KEY=VALUE]` takes the first element of a list that is an object
whose KEY is exactly the JSON VALUE: `.viewers.contents.rows[object=12]
.expanded true`. A step `[*]` takes every element of a list and the rest of the path from
each (elements without it are left out), giving a list: `.viewers.contents
.rows[*].depth hasnt 1` holds when no row has depth 1.

Blank rows and rows starting with # are skipped. Every row that does not
hold is printed as "FAIL: DESCRIPTION: ..."; a row the table gets wrong
(bad path, bad JSON) is a failure too. Exits with the number of failures
(at most 100); 0 when every row holds.
"""
import json
import os
import re
import sys

MISSING = object()
ALL = object()
OPS = ('!=', 'contains', 'lacks', 'hasnt', 'has', 'absent', 'present')
NAME = r'[A-Za-z_][A-Za-z0-9_-]*'
QUOTED = r'"(?:[^"\\]|\\.)*"'
# .name  ."any key"  [3]  [-1]  [*]  [key=JSON]
STEP = re.compile(rf'\.(?:({QUOTED})|({NAME}))|\[(-?[0-9]+|\*)\]|\[({NAME})=({QUOTED}|[^\]"]+)\]')
PATH = re.compile(rf'((?:{STEP.pattern})+|\.)(?=\s|$)')


def parse_path(text):
    if text == '.':
        return []
    steps, at = [], 0
    while at < len(text):
        m = STEP.match(text, at)
        if not m:
            raise ValueError(f'bad path {text!r} at {text[at:]!r}')
        if m.group(1) is not None:
            steps.append(json.loads(m.group(1)))
        elif m.group(2) is not None:
            steps.append(m.group(2))
        elif m.group(4) is not None:
            steps.append((m.group(4), json.loads(m.group(5))))
        elif m.group(3) == '*':
            steps.append(ALL)
        else:
            steps.append(int(m.group(3)))
        at = m.end()
    return steps


def pick(value, steps):
    for at, step in enumerate(steps):
        if step is ALL:
            if not isinstance(value, list):
                return MISSING
            picked = (pick(v, steps[at + 1:]) for v in value)
            return [v for v in picked if v is not MISSING]
        if isinstance(step, tuple):
            key, want = step
            found = [v for v in value if isinstance(v, dict) and key in v and same(v[key], want)] \
                if isinstance(value, list) else []
            if not found:
                return MISSING
            value = found[0]
            continue
        if isinstance(step, int):
            if not isinstance(value, list) or not -len(value) <= step < len(value):
                return MISSING
        elif not isinstance(value, dict) or step not in value:
            return MISSING
        value = value[step]
    return value


def same(a, b):
    """JSON equality without Python's mixing of kinds (True == 1, 1 == 1.0)."""
    if isinstance(a, bool) or isinstance(b, bool):
        return type(a) is type(b) and a == b
    if isinstance(a, (int, float)) and isinstance(b, (int, float)):
        return a == b and isinstance(a, int) == isinstance(b, int)
    if isinstance(a, dict) and isinstance(b, dict):
        return a.keys() == b.keys() and all(same(a[k], b[k]) for k in a)
    if isinstance(a, list) and isinstance(b, list):
        return len(a) == len(b) and all(same(x, y) for x, y in zip(a, b))
    return type(a) is type(b) and a == b


def show(value, limit=300):
    if value is MISSING:
        return 'missing'
    text = json.dumps(value, ensure_ascii=False, separators=(',', ':'))
    return text if len(text) <= limit else text[:limit] + '...'


def parse_row(row):
    m = PATH.match(row)
    if not m:
        raise ValueError('the row does not start with a path')
    path, rest = m.group(1), row[m.end():].lstrip()
    op = ''
    for word in OPS:
        if re.match(re.escape(word) + r'(\s|$)', rest):
            op, rest = word, rest[len(word):].lstrip()
            break
    expected = MISSING
    if op not in ('absent', 'present'):
        expected, end = json.JSONDecoder().raw_decode(rest)
        rest = rest[end:]
        if op in ('contains', 'lacks') and not isinstance(expected, str):
            raise ValueError(f'{op} takes a string, not {show(expected)}')
    return parse_path(path), path, op, expected, rest.strip()


def check(state, steps, path, op, expected):
    """None when the row holds, else what is wrong."""
    got = pick(state, steps)
    if op == '':
        if got is MISSING or not same(got, expected):
            return f'{path} is {show(got)}, expected {show(expected)}'
    elif op == '!=':
        if got is not MISSING and same(got, expected):
            return f'{path} is {show(got)}, expected anything else'
    elif op == 'absent':
        if got is not MISSING:
            return f'{path} is {show(got)}, expected it missing'
    elif op == 'present':
        if got is MISSING:
            return f'{path} is missing'
    elif op == 'contains':
        if not isinstance(got, str) or expected not in got:
            return f'{path} is {show(got)}, expected a text containing {show(expected)}'
    elif op == 'lacks':
        if got is not MISSING and (not isinstance(got, str) or expected in got):
            return f'{path} is {show(got)}, expected a text without {show(expected)}'
    elif op == 'has':
        if not isinstance(got, list) or not any(same(v, expected) for v in got):
            return f'{path} is {show(got)}, expected a list with {show(expected)}'
    elif op == 'hasnt':
        if got is not MISSING and (not isinstance(got, list) or any(same(v, expected) for v in got)):
            return f'{path} is {show(got)}, expected a list without {show(expected)}'
    return None


def value(path):
    got = pick(json.loads(sys.stdin.read()), parse_path(path))
    if got is not MISSING:
        print(got if isinstance(got, str) else show(got, limit=10 ** 9))
    return 0


def run(text, rows, where=''):
    """Checks the rows (a text) against a state line; prints what fails and
    gives the number of failures."""
    try:
        state = json.loads(text)
        if not isinstance(state, dict):
            raise ValueError('not a JSON object')
        bad_state = None
    except ValueError as e:
        state, bad_state = None, f'no state line ({e}): {text.strip()[:300]!r}'
    failures = 0
    for number, row in enumerate(rows.splitlines(), 1):
        row = row.strip()
        if not row or row.startswith('#'):
            continue
        try:
            steps, path, op, expected, what = parse_row(row)
            if not what:
                raise ValueError('the row has no description')
        except ValueError as e:
            print(f'FAIL: {where}table row {number} ({row[:120]}): {e}')
            failures += 1
            continue
        wrong = bad_state or check(state, steps, path, op, expected)
        if wrong:
            print(f'FAIL: {where}{what}: {wrong}')
            failures += 1
    return failures


def batch(folder):
    failures = 0
    names = [n[:-5] for n in os.listdir(folder) if n.endswith('.rows')]
    for n in sorted(names, key=lambda n: [int(p) for p in re.findall(r'[0-9]+', n)]):
        base = os.path.join(folder, n)
        with open(base + '.line', encoding='utf-8') as f:
            text = f.read()
        with open(base + '.rows', encoding='utf-8') as f:
            rows = f.read()
        where = ''
        if os.path.exists(base + '.where'):
            with open(base + '.where', encoding='utf-8') as f:
                where = f.read().strip() + ': '
        failures += run(text, rows, where)
    return failures


def main():
    if len(sys.argv) == 3 and sys.argv[1] == '--value':
        return value(sys.argv[2])
    if len(sys.argv) == 3 and sys.argv[1] == '--batch':
        return min(batch(sys.argv[2]), 100)
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 100
    with open(sys.argv[1], encoding='utf-8') as f:
        text = f.read()
    return min(run(text, sys.stdin.read()), 100)


if __name__ == '__main__':
    sys.exit(main())
