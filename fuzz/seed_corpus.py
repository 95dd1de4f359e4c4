#!/usr/bin/env python3
"""Writes the seed inputs of fuzz/corpus/<target>/ from data/ and the shapes the tests
use. Run it once for a new target, then let `make fuzz` grow and minimise the corpus."""
import os
import struct
import sys

root = os.path.dirname(os.path.abspath(__file__))
data = os.path.join(root, '..', 'data')


def put(target, name, content):
    d = os.path.join(root, 'corpus', target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), 'wb') as f:
        f.write(content if isinstance(content, bytes) else content.encode('utf-8'))


def head(path, n):
    with open(os.path.join(data, path), 'rb') as f:
        return f.read(n)


def main():
    # settings: three name bytes, a value, then the file
    settings = b'[Poorten]\r\nCOM1=/dev/ttyUSB0\r\n; comment\r\n\r\n[Comm]\r\nBaud=0x2580\r\nTaal=$1\n'
    put('settings', 'ports', b'\x03abc\x02de\x03xyz' + settings)
    put('settings', 'latin1', b'\x01a\x01b\x00' + b'[Opties]\r\nNaam=M\xfcller\r\n  key = value  \r\n[x\r\n=novalue\r\n')
    put('settings', 'empty', b'\x00\x00\x00\x00\x00')

    put('ini', 'taal', head('Taal1.ini', 900))
    put('ini', 'odd', b'[A]\nk=1\n[a]\nk=2\nK=$ff\n;c=3\n[ B ]\n x =0x7fffffff\n=\n[]\nz=-0\n')

    for i in range(3):
        put('rtf', 'help%d' % i, head('ErrorHelp%d.rtf' % i, 1500) + b'}')
    put('rtf', 'table', b'{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}'
        b'\\trowd\\intbl a\\cell\\intbl b\\cell\\row\\intbl c\\cell\\row\\pard\\cf1\\b x\\b0\\par'
        b'\\u8220?\\\'e9{\\*\\x y}}')

    pars = ''.join('P%03d %d\r\n' % (i, (i * 37) % 1000 - 300) for i in range(512))
    put('parfiles', 'app', b'\x00' + ('ASCII Parameters VX5x-XXX   No: 0\r\n\r\n' + pars).encode())
    solls = ''.join('S%03d %d\r\n' % (i, i * 11) for i in range(81))
    put('parfiles', 'aps', b'\x01' + ('ASCII Sollwerten VX5x-XXX   No: 5\r\n\r\n' + solls).encode())
    bak = struct.pack('<i', 11223344) * 2
    bak += b''.join(struct.pack('<i', i) for i in range(2001)) + b''.join(struct.pack('<i', -i) for i in range(2000))
    bak += struct.pack('<i', 123456789) * 2
    put('parfiles', 'bak', b'\x02' + bak)

    put('defs', 'options', b'\x00' + b'9600,19200, "a b" ,"say ""hi""",,x,')
    put('defs', 'tree', b'\x01' + head('Tree0.txt', 700))
    put('defs', 'parameters', b'\x02' + head('Parameters.txt', 1200) + b'\n[900]\nopties1=#001\n')

    put('fixedpoint', 'eight', bytes([10]) + struct.pack('>i', -20000000) + b'\x01-,2')
    put('fixedpoint', 'two', bytes([4]) + struct.pack('>i', 1234) + b'\x01' + b'12,3')
    put('fixedpoint', 'none', bytes([2]) + struct.pack('>i', 0) + b'\x00' + b'-5')

    for i, r in enumerate([b'rp 12 -350\r\n', b'r0 1234\r\n', b'er 7\r\n', b'rp 120 5\r\n', b'rs 3 00017\n\r',
                           b'wp 12 -5\r\n', b'sc 5\r\n', b'ks\r\n', b'kr 2041 +5\r\n', b'rp 12 99999999999\r\n']):
        put('reply', 'r%d' % i, bytes([i % 8, 90]) + r)

    put('framed', 'sx2', b'\x00\x05\x82\x10\x01\x02' + b'\x82\x96\x03\x82\x82\x01\x00')
    put('framed', 'ssb', b'\x01\x04\x10\xff\x03' + b'\x10\x02\x01\x10\x10\x10\x03\x00')

    put('marks', 'plain', b'rp 12 5\r\n')
    put('marks', 'ff', b'\xff\x00a\xff\xff\xff\x00\x00b\xff')


if __name__ == '__main__':
    sys.exit(main())
