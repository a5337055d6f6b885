#!/usr/bin/env python3
"""Starts virtual-board programs on the Linux side for Windows tests running under Wine.

The Windows stand-in virtual-board.exe (VirtualBoardRelay.cpp) connects here, sends the arguments,
and then relays its standard input and output. For each connection the broker starts the real
virtual-board, points one COM port of the Wine prefix at the board's pseudo-terminal and answers the
board's "PORT /dev/pts/N" line with "PORT COMn"; the simulated ECU's "ECU /dev/pts/N" line (with
--ecu) gets a COM port of its own the same way. The COM ports are mapped once, before the Wine
server starts, to fixed links (LINK_DIR/comN) that the broker repoints, so no restart is needed per
board.

  board-broker.py PROGRAM LINK_DIR FIRST_COM COUNT   (prints "LISTENING <port>" when ready)
"""
import os
import re
import socket
import subprocess
import sys
import threading

program, link_dir, first_com, count = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
free = list(range(first_com, first_com + count))
lock = threading.Lock()


def take_slot():
    with lock:
        return free.pop(0) if free else None


def give_slot(n):
    with lock:
        free.append(n)
        free.sort()


def point(n, target):
    link = os.path.join(link_dir, "com%d" % n)
    tmp = link + ".new"
    if os.path.lexists(tmp):
        os.unlink(tmp)
    os.symlink(target, tmp)
    os.replace(tmp, link)


WINDOWS_PATH = re.compile(r"^([A-Za-z]:[\\/].*?)(@\d+)?$")


def unix_argument(arg):
    """A Windows path (with an optional "@id" after it) as the Linux program needs it. Each drive of
    the Wine prefix is a link in its dosdevices folder, so the path is found without asking Wine (a
    Wine server being restarted cannot leave a path unconverted, which the Linux program would take
    as a relative one)."""
    m = WINDOWS_PATH.match(arg)
    if not m:
        return arg
    prefix = os.environ.get("WINEPREFIX") or os.path.expanduser("~/.wine")
    drive, rest = m.group(1)[0].lower(), m.group(1)[3:].replace("\\", "/")
    return os.path.join(prefix, "dosdevices", drive + ":", rest) + (m.group(2) or "")


def name_port_in_folder(args, pty, com):
    """virtual-board writes its pseudo-terminal into the program folder's ports.ini when given
    --program-folder and --port-number; the Windows program there must find the COM port instead."""
    if "--program-folder" not in args:
        return
    i = args.index("--program-folder")
    if i + 1 >= len(args):
        return
    ini = os.path.join(args[i + 1], "config", "ports.ini")
    try:
        with open(ini) as f:
            text = f.read()
        with open(ini, "w") as f:
            f.write(text.replace(pty, com))
    except OSError:
        pass


def serve(conn):
    slots = []
    board = None
    try:
        reader = conn.makefile("rb")
        first = reader.readline().decode().rstrip("\n")
        if not first.startswith("ARGS"):
            return
        args = [unix_argument(a) for a in first.split("\t")[1:]]
        board = subprocess.Popen([program] + args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL, bufsize=0)

        def to_board():
            try:
                while True:
                    data = conn.recv(4096)
                    if not data:
                        break
                    board.stdin.write(data)
                    board.stdin.flush()
            except OSError:
                pass
            try:
                board.stdin.close()
            except OSError:
                pass

        threading.Thread(target=to_board, daemon=True).start()
        for line in board.stdout:
            for kind in (b"PORT ", b"ECU "):
                if line.startswith(kind):
                    slot = take_slot()
                    if slot is None:
                        conn.sendall(b"NO FREE COM PORT\n")
                        return
                    slots.append(slot)
                    pty = line[len(kind):].strip().decode()
                    point(slot, pty)
                    name_port_in_folder(args, pty, "COM%d" % slot)
                    line = kind + b"COM%d\n" % slot
            conn.sendall(line)
    except OSError:
        pass
    finally:
        if board is not None:
            try:
                board.wait(timeout=10)
            except subprocess.TimeoutExpired:
                board.kill()
                board.wait()
        for slot in slots:
            point(slot, "/dev/null/tessavel-no-board")
            give_slot(slot)
        try:
            conn.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        conn.close()


def main():
    os.makedirs(link_dir, exist_ok=True)
    for n in free:
        point(n, "/dev/null/tessavel-no-board")
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(16)
    print("LISTENING %d" % server.getsockname()[1], flush=True)
    while True:
        conn, _ = server.accept()
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


main()
