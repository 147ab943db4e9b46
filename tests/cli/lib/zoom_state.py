#!/usr/bin/env python3
"""Compares two `state` lines of vantrel-guide as layouts: everything but the
zoom itself must be equal. Prints the first differences; exit 0 when equal."""
import json
import sys


def diffs(a, b, path=''):
    if isinstance(a, dict) and isinstance(b, dict):
        for k in sorted(set(a) | set(b)):
            if not path and k == 'zoom':
                continue
            if k not in a or k not in b:
                yield f'{path}/{k}: only in {"first" if k in a else "second"}'
            else:
                yield from diffs(a[k], b[k], f'{path}/{k}')
    elif isinstance(a, list) and isinstance(b, list) and len(a) == len(b):
        for i, (x, y) in enumerate(zip(a, b)):
            yield from diffs(x, y, f'{path}[{i}]')
    elif a != b:
        yield f'{path}: {json.dumps(a)[:200]} against {json.dumps(b)[:200]}'


def main():
    with open(sys.argv[1]) as fa, open(sys.argv[2]) as fb:
        a = [json.loads(l) for l in fa if l.startswith('{')]
        b = [json.loads(l) for l in fb if l.startswith('{')]
    if len(a) != len(b) or not a:
        print(f'{len(a)} state lines against {len(b)}')
        return 1
    found = [d for x, y in zip(a, b) for d in diffs(x, y)]
    for d in found[:12]:
        print(d)
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
