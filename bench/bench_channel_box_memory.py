"""Memory over a working day of Channel Box tool reads: the resident set size
of the process after every 1,000 of 10,000 reads of selectedPlugs,
animatablePlugs and animatedPlugs (each through the attribute wrappers a tool
builds) over 100 selected, keyed nodes with one channel highlighted each.
Flat figures after the first thousand mean nothing a read makes outlives its
tool; a leak shows as steady growth. The stand-in's own record of every
command (its test log, which Maya does not keep) is cleared after each read.

    PYTHONPATH=standin python bench/bench_channel_box_memory.py [reads]
"""
import gc
import os
import sys

from maya import _scene, cmds
from Zentrik._api.__hybrid__ import rigkit0


def residentKiB():
    """The process's resident set size, from /proc (Linux)."""
    with open("/proc/self/statm") as statm:
        pages = int(statm.read().split()[1])
    return pages * os.sysconf("SC_PAGE_SIZE") // 1024


def build(count):
    names = []
    for n in range(count):
        name = cmds.createNode("transform", name="ctrl%d" % n)
        cmds.setKeyframe(name + ".tx", time=(1,), value=float(n))
        names.append(name)
    cmds.select(names)
    cmds.channelBox("mainChannelBox", edit=True, select=[n + ".tx" for n in names])


def toolRead():
    channelBox = rigkit0.ChannelBox()
    channelBox.selectedAttrs, channelBox.animatableAttrs, channelBox.animatedAttrs
    _scene.clearCommandLog()


def main(reads):
    build(100)
    print("reads  RSS (KiB)  kept arrays")
    for done in range(reads + 1):
        if done % 1000 == 0:
            gc.collect()
            print("%5d  %9d  %d" % (done, residentKiB(), len(rigkit0.ChannelBox.keepAlive)))
        if done < reads:
            toolRead()


if __name__ == "__main__":
    main(int(sys.argv[1]) if len(sys.argv) > 1 else 10000)
