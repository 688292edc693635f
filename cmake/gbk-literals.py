#!/usr/bin/env python3
"""Compiler launcher for clang: narrow literals become GBK, as g++ makes them.

The program's narrow text is GBK. g++ compiles the UTF-8 sources with
-fexec-charset=GBK; clang has no such option. This launcher stands in front
of clang for every C++ object:

    gbk-literals.py [WRAPPER...] -- COMPILER ARGS... -o OBJ -c SOURCE

It expands the source's includes (clang -E -frewrite-includes, macros left as
written, writing the dependency file), rewrites every non-ASCII character of
an ordinary narrow string or character literal as GBK octal escapes (u8, u,
U and L literals stay as they are), and compiles the result (line markers
keep the diagnostics on the original files). A translation unit with nothing
to rewrite is compiled from its own source. The build fails on a narrow
literal it cannot carry over: a raw literal with non-ASCII text, one joined
to a prefixed literal, or a character GBK has no code for.
"""
import ctypes
import ctypes.util
import os
import re
import subprocess
import sys

TOKEN = re.compile(
    rb'//[^\n]*'
    rb'|/\*.*?\*/'
    rb'|(?P<raw>(?:u8|u|U|L)?R"(?P<delim>[^()\\\s]{0,16})\(.*?\)(?P=delim)")'
    rb'|(?P<prefix>u8|u|U|L)?(?P<lit>"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\')'
    rb'|[A-Za-z_]\w*'
    rb'|\.?\d(?:\'?[\w.]|[eEpP][+-])*',
    re.S)
NON_ASCII = re.compile(rb'[\x80-\xff]+')
# A prefixed literal right after or right before an ordinary one (they join).
JOINED_AFTER = re.compile(rb'\s*(?:u8|u|U|L)R?"')
JOINED_BEFORE = re.compile(rb'(?:u8|u|U|L)"(?:\\.|[^"\\\n])*"\s*$')
LINE_MARKER = re.compile(rb'^#(?:line)? (\d+) "([^"]*)"', re.M)


class Iconv:
    """glibc's UTF-8 to GBK conversion, the one g++ uses."""

    def __init__(self):
        self.libc = ctypes.CDLL(ctypes.util.find_library('c'), use_errno=True)
        self.libc.iconv_open.restype = ctypes.c_void_p
        self.libc.iconv.argtypes = [ctypes.c_void_p] + [ctypes.c_void_p] * 4
        self.libc.iconv.restype = ctypes.c_size_t
        self.handle = self.libc.iconv_open(b'GBK', b'UTF-8')

    def __call__(self, text):
        self.libc.iconv(self.handle, None, None, None, None)
        src = ctypes.create_string_buffer(text, len(text))
        out = ctypes.create_string_buffer(len(text) * 2 + 4)
        src_p, out_p = ctypes.c_char_p(ctypes.addressof(src)), ctypes.c_char_p(ctypes.addressof(out))
        src_left, out_left = ctypes.c_size_t(len(text)), ctypes.c_size_t(len(out))
        if self.libc.iconv(self.handle, ctypes.byref(src_p), ctypes.byref(src_left),
                           ctypes.byref(out_p), ctypes.byref(out_left)) == ctypes.c_size_t(-1).value:
            return None
        return out.raw[:len(out) - out_left.value]


def where(text, pos):
    line, name = 1, '?'
    for marker in LINE_MARKER.finditer(text, 0, pos):
        line, name = int(marker.group(1)), marker.group(2).decode(errors='replace')
        line_start = marker.end()
    if name != '?':
        line += text.count(b'\n', line_start, pos) - 1
    return f'{name}:{line}'


def rewrite(text):
    """The text with narrow literals in GBK, and the list of errors."""
    to_gbk, errors, out, done = Iconv(), [], [], 0
    # Line markers stand at line starts outside comments and literals, so the
    # text between two of them is lexed alone, and only when it is not ASCII.
    bounds = [m.start() for m in LINE_MARKER.finditer(text)] + [len(text)]
    chunks = [(0, bounds[0])] + list(zip(bounds, bounds[1:]))
    tokens = (t for begin, end in chunks if not text[begin:end].isascii()
              for t in TOKEN.finditer(text, begin, end))
    for token in tokens:
        body = token.group(0)
        if body.isascii():
            continue
        if token.group('raw'):
            if not token.group('raw').startswith((b'u', b'U', b'L')):
                errors.append(f'{where(text, token.start())}: error: non-ASCII text in a raw narrow '
                              'literal cannot become GBK; write it as an ordinary literal')
            continue
        if token.group('lit') is None or token.group('prefix'):
            continue
        before = text[max(0, token.start() - 4096):token.start()]
        if JOINED_AFTER.match(text, token.end()) or JOINED_BEFORE.search(before):
            errors.append(f'{where(text, token.start())}: error: non-ASCII ordinary literal joined to a u8, u, U '
                          'or L literal; give the whole text one prefix')
            continue

        def escape(run):
            gbk = to_gbk(run.group(0))
            if gbk is None:
                errors.append(f'{where(text, token.start())}: error: narrow literal has a character '
                              'GBK cannot hold')
                return run.group(0)
            return b''.join(b'\\%03o' % byte for byte in gbk)
        out += [text[done:token.start()], NON_ASCII.sub(escape, body)]
        done = token.end()
    if not out:
        return None, errors
    out.append(text[done:])
    return b''.join(out), errors


def main(argv):
    split = argv.index('--')
    wrapper, command = argv[1:split], argv[split + 1:]
    try:
        source = command[command.index('-c') + 1]
        obj = command[command.index('-o') + 1]
    except (ValueError, IndexError):
        return subprocess.call(wrapper + command)
    expanded = obj + '.gbk.cpp'
    pre = [a for a in command if a not in ('-c', source)]
    pre[pre.index('-o') + 1] = expanded
    if subprocess.call(pre + ['-E', '-frewrite-includes', source]) != 0:
        return 1
    with open(expanded, 'rb') as f:
        text, errors = rewrite(f.read())
    for error in errors:
        print(error, file=sys.stderr)
    if errors or text is None:
        os.unlink(expanded)
        return 1 if errors else subprocess.call(wrapper + command)
    with open(expanded, 'wb') as f:
        f.write(text)
    compile_args, skip = [], False
    for a in command:
        if skip:
            skip = False
        elif a in ('-MT', '-MF', '-MQ'):
            skip = True
        elif a not in ('-MD', '-MMD'):
            compile_args.append(expanded if a == source else a)
    try:
        return subprocess.call(wrapper + compile_args)
    finally:
        os.unlink(expanded)


if __name__ == '__main__':
    sys.exit(main(sys.argv))
