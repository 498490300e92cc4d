#!/usr/bin/env python3
"""Writes cave.txt, the text survey of the bundled sample cave.

The cave is invented: an entrance passage from the main entrance (the
origin) down to a chamber, a shaft from the chamber to a lower gallery, a
sump branch at the bottom, a middle level reached through a window in the
shaft, an upper level to a second entrance and a side passage to a third,
with oxbow loops and short dead-end crawls. Everything lies below the main
entrance. The output is the same on every run.

Regenerate the sample folder with:
    python3 sample/make_cave.py > sample/cave.txt
    build-data/tools/mvdata build sample/cave.txt sample
"""

import math
import random

rng = random.Random(1187)

# Where the station file's (0, 0, 0), the main entrance, lies in the outer
# frame: map metres east, north and height above sea level.
ORIGIN = (482315.0, 5612480.0, 1187.0)

stations = {}  # name -> (x, y, z)
order = []
lines = []
entrances = []


def add(name, p):
    stations[name] = p
    order.append(name)
    return name


def passage(prefix, start, waypoints, step=2.8, wander=0.6, rise=0.25, join=None):
    """A chain of stations from station `start` through the waypoints, one
    about every `step` metres, with the walls' wander. With `join`, the
    passage ends at that existing station (a loop)."""
    if join is not None:
        waypoints = list(waypoints) + [stations[join]]
    chain = [start]
    here = stations[start]
    k = 0
    for w, target in enumerate(waypoints):
        dist = math.dist(here, target)
        n = max(1, round(dist / step))
        for i in range(1, n + 1):
            if join is not None and w == len(waypoints) - 1 and i == n:
                chain.append(join)
                break
            t = i / n
            p = [here[j] + (target[j] - here[j]) * t for j in range(3)]
            if i < n:
                p[0] += rng.uniform(-wander, wander)
                p[1] += rng.uniform(-wander, wander)
                p[2] += rng.uniform(-rise, rise)
            k += 1
            chain.append(add(f"{prefix}{k}", tuple(p)))
        here = stations[chain[-1]]
    lines.append(chain)
    return chain


def crawl(prefix, start, heading, length, drop=0.0):
    """A short dead-end side passage."""
    x, y, z = stations[start]
    a = math.radians(heading)
    end = (x + length * math.sin(a), y + length * math.cos(a), z - drop)
    return passage(prefix, start, [end], step=2.5, wander=0.4, rise=0.15)


add("E1", (0.0, 0.0, 0.0))
entrances.append("E1")

# Entrance passage, north-east and down to the chamber.
wej = passage("W", "E1", [(8, 5, -3), (18, 12, -8), (27, 19, -13), (31, 22, -15)])

# The chamber: a ring of stations round a floor at about -16 m.
cx, cy, cz = 37.0, 26.0, -16.5
ring = []
for i in range(12):
    a = 2 * math.pi * i / 12
    ring.append(add(f"K{i + 1}", (cx + 9 * math.cos(a) + rng.uniform(-1, 1),
                                   cy + 6 * math.sin(a) + rng.uniform(-1, 1),
                                   cz + rng.uniform(-1.2, 1.2))))
lines.append([wej[-1], ring[6]])
lines.append(ring + [ring[0]])
lines.append([ring[0], "K7"])  # across the floor

# The shaft: straight down from the chamber's east wall.
sx, sy, sz = stations["K2"]
shaft = ["K2"]
for i in range(1, 12):
    shaft.append(add(f"S{i}", (sx + 1.5 + rng.uniform(-0.4, 0.4),
                               sy + 1.0 + rng.uniform(-0.4, 0.4),
                               sz - 3.0 * i + rng.uniform(-0.2, 0.2))))
lines.append(shaft)

# The lower gallery, east from the shaft's foot, meandering.
dol = passage("D", shaft[-1], [(58, 24, -50), (75, 30, -51), (88, 18, -53), (104, 22, -55),
                               (118, 12, -56), (124, 0, -58)], step=4.0, wander=1.2)
# Oxbows beside the gallery.
passage("DO", dol[6], [(72, 40, -49), (82, 36, -50)], join=dol[12])
passage("DP", dol[14], [(104, 32, -52), (114, 24, -54)], join=dol[-3])

# The sump branch, south and steeply down from the gallery.
syf = passage("Y", dol[16], [(98, 5, -60), (96, -12, -66), (100, -25, -72), (106, -33, -77),
                             (110, -38, -79)], step=3.0, wander=0.8, rise=0.4)

# The middle level through a window in the shaft at about -31 m.
srod = passage("M", shaft[5], [(54, 42, -32), (60, 55, -33), (56, 68, -35), (48, 78, -36)],
               step=3.5, wander=0.9)
passage("MB", srod[5], [(70, 50, -34), (80, 58, -38), (86, 70, -41)], step=3.5)

# A loop on the middle level and a second, smaller shaft from the upper level
# down into it.
ml = passage("ML", srod[3], [(42, 52, -30), (36, 64, -31), (40, 74, -34)], join=srod[-4])

# The upper level west from the chamber to the second entrance.
gor = passage("G", ring[5], [(22, 38, -13), (8, 48, -11), (-6, 58, -10), (-18, 66, -8),
                             (-27, 72, -6), (-31, 75, -4.5)], step=3.0, wander=0.9)
entrances.append(gor[-1])
passage("MS", gor[7], [(14, 50, -16), (17, 53, -22), (21, 55, -27), (30, 58, -30)],
        step=2.5, wander=0.3, join=ml[len(ml) // 2])

# A side passage south from the entrance passage to the third entrance, low
# on the valley side.
pol = passage("P", wej[4], [(20, 0, -10), (16, -15, -13), (10, -28, -16), (6, -36, -18)],
              step=3.5, wander=0.7)
entrances.append(pol[-1])

# Dead-end crawls off the galleries.
crawl("DA", dol[3], 160, 12, 1.5)
crawl("DB", dol[9], 20, 14, -1.0)
crawl("DC", dol[20], 70, 10, 2.0)
crawl("GA", gor[6], 200, 11, 0.5)
crawl("GB", gor[12], 330, 9, -0.5)
crawl("MA", srod[9], 270, 13, 2.5)
crawl("PA", pol[6], 100, 8, 1.0)
crawl("YA", syf[8], 300, 9, 1.5)
crawl("KA", ring[3], 0, 10, -1.0)
crawl("KB", ring[9], 170, 12, 3.0)
crawl("SA", shaft[9], 120, 9, 0.5)
crawl("MC", srod[-1], 10, 11, 1.0)
crawl("DD", dol[-1], 150, 12, 4.0)

print("# The sample cave of the viewer: an invented survey, written by make_cave.py.")
print("# Coordinates in metres relative to the main entrance E1; z is up.")
print("name Jaskinia Morvalka Vendra")
print("origin %.2f %.2f %.2f" % ORIGIN)
for name in order:
    x, y, z = stations[name]
    print("station %s %.2f %.2f %.2f" % (name, x, y, min(z, 0.0)))
for chain in lines:
    print("line " + " ".join(chain))
for name in entrances:
    print("entrance " + name)
