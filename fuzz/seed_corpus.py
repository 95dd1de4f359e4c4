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

    # reply: request index (see fuzz_reply.cpp's table), limit byte, reply
    replies = [b'sc 5\r\n', b'rt VX50 V2.04\r\n', b'rh HW VX50-3 rev C\r\n', b'rx SN 51000\r\n',
               b'rf -1\r\n', b'wf\r\n', b'r0 1234\r\n', b'r1 -7\r\n', b'r2 240000\r\n', b'r3 12\r\n',
               b'r4 0\r\n', b'r5 5\r\n', b'r6 -3\r\n', b'ri 1023\n\r', b'ru 5\r\n', b'rp 12 -350\r\n',
               b'rs 3 00017\r\n', b'wp 12 -5\r\n', b'ws 3 100\r\n', b'bp -1\r\n', b'kr 2041 +5\r\n',
               b'kw 2042 -5\r\n', b'km 1\r\n', b'ki 2\r\n', b'ka 100000\r\n', b'ks\r\n']
    for i, r in enumerate(replies):
        put('reply', 'r%d' % i, bytes([i, 90]) + r)
    put('reply', 'er', bytes([15, 90]) + b'er 7\r\n')
    put('reply', 'rf-empty', bytes([4, 90]) + b'rf \r\n')
    put('reply', 'rt-ctl', bytes([1, 90]) + b'rt VX\x0150\r\n')
    put('reply', 'rp-long', bytes([15, 90]) + b'rp 12 99999999999\r\n')

    put('framed', 'sx2', b'\x00\x05\x82\x10\x01\x02' + b'\x82\x96\x03\x82\x82\x01\x00')
    put('framed', 'ssb', b'\x01\x04\x10\xff\x03' + b'\x10\x02\x01\x10\x10\x10\x03\x00')

    # marks: mode byte (even: through a pty; odd: straight to the decoder, 2 raw, 4 parity)
    put('marks', 'plain', b'\x00rp 12 5\r\n')
    put('marks', 'ff', b'\x00\xff\x00a\xff\xff')
    put('marks', 'events', b'\x01\x06' + b'\x02r\x00x\x01\x00\x03\xff\x00\x00\x02\n' + b'\x02\x01\x03')
    put('marks', 'events-parity', b'\x05\x04' + b'\x00\xff\x07\xff\x01\x00\x00a' + b'\x00')
    put('marks', 'raw', b'\x03\x08' + b'\xff\x00a\xff\xffb\xff\x00\x00\xff\x01\xff\x00\xff' + b'\x00\x01\x02')
    put('marks', 'raw-parity', b'\x07\x04' + b'\xff\x00\x00\xff\x00\x7f\xff' + b'\x01')

    # sim: the line settings (bit 0), then ops (request kind op % 24; 240 and up: raw bytes)
    put('sim', 'reads', bytes([0]) + bytes(range(16)))
    put('sim', 'reads-38400', bytes([1]) + bytes(range(16)))
    put('sim', 'select', bytes([0, 16, 1, 0, 16, 0x90, 5, 0, 16, 0, 16, 0xff, 0xff, 0xff, 0xff, 0xff, 3, 16, 0, 0]))
    put('sim', 'writes', bytes([0, 18, 12, 0, 2, 0, 0, 0, 5, 18, 203, 0, 2, 0, 0, 0, 1, 17, 0xff, 0xff, 0xff, 0xff,
                                0xff, 19, 3, 0, 1, 0x34, 0x12, 21, 1, 20, 2, 1, 5, 0, 22, 2, 0, 23, 2, 0x10, 0x27,
                                21, 0, 20, 1, 1, 5, 0]))
    put('sim', 'raw', bytes([1, 240, 22]) + b'rp 12\rwp\x08\x08ws 3 5\r' + bytes([241, 8]) + b'sc 5\rrt\n'
        + bytes([242, 5]) + b'\xffrp\x00')

    # cli: option set (2: set's), words (kind byte, text), p203, parameter, language
    put('cli', 'set', bytes([2, 4, 200, 6]) + b'P012=5' + bytes([200, 8]) + b'baud=1,5' + bytes([33, 1])
        + bytes([2, 0x0c, 0, 1]))
    put('cli', 'set-names', bytes([2, 3, 200, 10]) + b'P203=2' + bytes([200, 12]) + b'Baud_Rate=x' + bytes([64 + 6])
        + bytes([3, 0xcb, 0, 2]))
    put('cli', 'read', bytes([3, 5, 0, 1, 33]) + bytes([200, 5]) + b'a.app' + bytes([64])
        + bytes([1]))
    put('cli', 'monitor', bytes([6, 4, 0x20, 200, 2]) + b'10' + bytes([2, 200, 5]) + b'r0,ri')
    put('cli', 'dashes', bytes([1, 3, 64, 0, 200, 3]) + b'\xc3\xa9x')

    # history: the typed line, then the file
    put('history', 'plain', b'rp 12\nrp 1\nwp 12 5\n\nrp 1\nrp 1\n  r0  \n')
    put('history', 'controls', b'rp 2\nrp 1\rwp 2 5\nr0\x1b[A\nks\x00\n\xc2\x85rp 3\nrx\xe2\x80\xa8rt\n\x0bri\x0c\n')
    put('history', 'typed-ctl', b'wp 1\x031\nrp 1\n')
    put('history', 'many', b'ri\n' + b''.join(b'rp %d\n' % i for i in range(230)))

    # filenames: bit 0 of the first byte: traffic log, else safety backups
    put('filenames', 'backups', bytes([0, 4, 0, 4]) + b'VX50' + bytes([6]) + b'SN 123' + bytes([5, 0, 0, 1, 0])
        + bytes([0, 4]) + b'VX50' + bytes([6]) + b'SN 123' + bytes([5, 0, 0, 2, 0])
        + bytes([1, 30]) + b'VX50_SN_1_u3_2020-01-01_00-00-00.bak'
        + bytes([0, 3]) + b'a_b' + bytes([3]) + b'x y' + bytes([0, 0x10, 0, 0, 0]) + bytes([0, 1]))
    put('filenames', 'stray-digits', bytes([0, 2, 1, 43]) + 'X_r_u\u0663_2020-01-01_00-00-00-99999999999.bak'.encode()
        + bytes([1, 20]) + b'VX51_x_u1_2020-13-01_00-00-00.bak')
    put('filenames', 'logs', bytes([1, 128, 30, 5, 0, 40, 1, 0, 0, 90, 1, 2, 0, 10, 0, 1, 1, 1, 0, 0, 0, 3, 3,
                                    1, 20]) + b'vx5x-2026-02-30.log' + bytes([1, 22]) + b'vx5x-\xd9\xa2026-01-01.log')


if __name__ == '__main__':
    sys.exit(main())
