#!/usr/bin/python3
"""Holds the package library to the layer table of the README: every call
from one module to another goes to a lower layer, but for the message
layer's opening of its message file through the file module.

Usage: layers_test.py README LIBRARY"""
import re
import subprocess
import sys

# Units that belong to a module of another name.
MODULE_OF = {
    'file_conv': 'files', 'file_dated': 'files', 'file_dialog': 'files', 'file_output': 'files',
    'cty_read': 'cty', 'cty_tool': 'cty', 'rcm_groups': 'rcm_read',
    'rad_cdf': 'rad_read', 'rad_cdf_records': 'rad_read',
    'rad_output': 'rad_dec', 'rad_summary': 'rad_dec', 'mdr_dec': 'rad_dec',
}
# The one call up: the message layer opens and closes its message file.
ALLOWED_UP = {('mess', 'files', 'FILE_open'), ('mess', 'files', 'FILE_close')}


def layers(readme):
    text = open(readme, encoding='utf-8').read()
    table = text[text.index('### Layers'):]
    layer = {}
    for line in table.splitlines():
        m = re.match(r'\|\s*(\d+)\s*\|([^|]*)\|', line)
        if m:
            for name in re.findall(r'`([\w.]+)`', m.group(2)):
                layer[name] = int(m.group(1))
    return layer


def symbols(library):
    """(unit, kind, name) of every symbol of the library's objects."""
    out = subprocess.run(['nm', '-A', library], capture_output=True, text=True, check=True).stdout
    for line in out.splitlines():
        m = re.match(r'.*?:(\w+)\.cpp\.o:\s*(?:[0-9a-f]+)?\s+([A-Za-z])\s+(\S+)$', line)
        if m:
            yield m.groups()


def main(readme, library):
    layer = layers(readme)
    defined, calls = {}, []
    for unit, kind, name in symbols(library):
        module = MODULE_OF.get(unit, unit)
        if kind == 'U':
            calls.append((module, name))
        elif kind in 'TDBRVW':
            defined.setdefault(name, module)
    faults = sorted({f'{m}: no layer in the README table' for m in set(defined.values()) if m not in layer})
    for caller, name in calls:
        callee = defined.get(name)
        if callee is None or callee == caller or caller not in layer or callee not in layer:
            continue
        plain = subprocess.run(['c++filt', name], capture_output=True, text=True).stdout.strip()
        plain = plain.split('(')[0]
        if layer[callee] >= layer[caller] and (caller, callee, plain) not in ALLOWED_UP:
            faults.append(f'{caller} (layer {layer[caller]}) calls {plain} of {callee} (layer {layer[callee]})')
    for f in sorted(set(faults)):
        print(f)
    if not defined:
        print('no symbols read from', library)
        return 1
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1], sys.argv[2]))
