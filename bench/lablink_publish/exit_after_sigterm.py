#!/usr/bin/env python3
# How long the headless bench takes to end after SIGTERM while its lab link hangs in a connect to
# an unreachable broker (a local listener whose backlog is full), against the same without a link.
# Usage: exit_after_sigterm.py build/app/usb-tester
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time


def unreachable_port(keep):
    listener = socket.socket()
    listener.bind(('127.0.0.1', 0))
    listener.listen(0)
    port = listener.getsockname()[1]
    keep.append(listener)
    for _ in range(4):  # a backlog of 0 still takes one; the rest fill it
        filler = socket.socket()
        filler.setblocking(False)
        try:
            filler.connect(('127.0.0.1', port))
        except BlockingIOError:
            pass
        keep.append(filler)
    time.sleep(0.2)
    return port


def exit_ms(program, link_port, folder):
    args = [program, '--headless', '--demo']
    if link_port:
        args += ['--mqtt', 'mqtt://127.0.0.1:%d/lab' % link_port]
    env = dict(os.environ, HOME=folder, XDG_DATA_HOME=folder + '/data',
               XDG_CONFIG_HOME=folder + '/config')
    child = subprocess.Popen(args, stderr=subprocess.PIPE, env=env, text=True, cwd=folder)
    started, said = time.time(), ''
    while 'runs are saved in' not in said and time.time() - started < 30:
        said += child.stderr.readline()
    time.sleep(2)  # the link is now inside its connect
    sent = time.time()
    child.send_signal(signal.SIGTERM)
    status = child.wait()
    return status, (time.time() - sent) * 1000


keep = []
port = unreachable_port(keep)
for label, link in (('unreachable broker', port), ('no lab link', 0)):
    with tempfile.TemporaryDirectory() as folder:
        status, ms = exit_ms(os.path.abspath(sys.argv[1]), link, folder)
    print('%-18s exit status %d, %.0f ms after SIGTERM' % (label + ':', status, ms))
