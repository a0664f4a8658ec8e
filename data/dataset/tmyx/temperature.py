#!/usr/bin/env python3
# Remakes ../temperature_stazioni.csv: the monthly mean air temperature at
# 2 m (EPW field 7, dry bulb, °C) of each Italian TMYx station, from the same
# 184 files the radiation table was checked against. Before writing, each
# station's monthly horizontal radiation (field 14) is compared with
# ../radiazioni_stazioni.csv: a difference above rounding stops the script,
# so the temperatures come from exactly those files.
#
# Some stations' typical years carry the temperature of the reanalysis cell
# rather than the valley's (Aosta's July at 11 °C): column `usabile` is "no"
# for a station whose July mean lies more than 3.5 K below the least-squares
# plane of all stations' July means on altitude and latitude, and for the
# summits and passes above 1,250 m. The data builder takes only "si".
#   temperature.py DIR_WITH_THE_EPW_FILES
import calendar, csv, glob, os, sys

qui = os.path.dirname(os.path.abspath(__file__))
mesi = ['gen', 'feb', 'mar', 'apr', 'mag', 'giu', 'lug', 'ago', 'set', 'ott', 'nov', 'dic']
stazioni = {r['stazione_tmyx']: r for r in
            csv.DictReader(open(os.path.join(qui, '..', 'radiazioni_stazioni.csv'), encoding='utf-8'))}
righe = []
for f in sorted(glob.glob(os.path.join(sys.argv[1], '*_TMYx.epw'))):
    chiave = os.path.basename(f)[:-len('_TMYx.epw')]
    ore = [r for r in list(csv.reader(open(f, encoding='latin-1')))[8:] if r]
    if len(ore) != 8760:
        sys.exit(f'{f}: {len(ore)} hours, not 8760')
    t = [[] for _ in mesi]
    g = [0.0] * 12
    for r in ore:
        m = int(r[1]) - 1
        t[m].append(float(r[6]))
        g[m] += float(r[13])
    s = stazioni[chiave]
    for m in range(12):
        giornaliera = g[m] / calendar.monthrange(2001, m + 1)[1] / 1000
        if abs(giornaliera - float(s[mesi[m]])) > 0.0006:
            sys.exit(f'{chiave} {mesi[m]}: radiation {giornaliera:.4f} against {s[mesi[m]]}: not the same file')
    righe.append([chiave, s['lat'], s['lon'], s['quota_m']] + ['%.1f' % (sum(v) / len(v)) for v in t])
if len(righe) != len(stazioni):
    sys.exit(f'{len(righe)} files for {len(stazioni)} stations')
def piano(punti):
    # least squares T = a + b quota + c lat, by the normal equations
    import itertools
    n = len(punti)
    sx = [sum(p[i] for p in punti) for i in range(2)]
    sxx = [[sum(p[i] * p[j] for p in punti) for j in range(2)] for i in range(2)]
    sy = sum(p[2] for p in punti)
    sxy = [sum(p[i] * p[2] for p in punti) for i in range(2)]
    m = [[n, sx[0], sx[1], sy], [sx[0], sxx[0][0], sxx[0][1], sxy[0]], [sx[1], sxx[1][0], sxx[1][1], sxy[1]]]
    for c in range(3):
        for r in range(3):
            if r != c:
                f = m[r][c] / m[c][c]
                m[r] = [a - f * b for a, b in zip(m[r], m[c])]
    return [m[i][3] / m[i][i] for i in range(3)]

basse = [r for r in righe if float(r[3]) <= 1250]
a, b, c = piano([(float(r[3]), float(r[1]), float(r[4 + 6])) for r in basse])
for r in righe:
    residuo = float(r[4 + 6]) - (a + b * float(r[3]) + c * float(r[1]))
    r.append('si' if float(r[3]) <= 1250 and residuo >= -3.5 else 'no')
with open(os.path.join(qui, '..', 'temperature_stazioni.csv'), 'w', newline='', encoding='utf-8') as out:
    w = csv.writer(out, lineterminator='\n')
    w.writerow(['stazione_tmyx', 'lat', 'lon', 'quota_m'] + mesi + ['usabile'])
    w.writerows(righe)
