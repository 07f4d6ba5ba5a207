#!/usr/bin/python3
"""The model's frequency figures against SciPy's, on set-ups of this test's own.

The loop is written out again here from the textbook's values, independently
of the model's code: G(s) = Kpot a Kg Kt / (Ra Jm) / (s (s + a)(s + am)) and
the correctors' formulas. SciPy gives its frequency response; NumPy its poles;
SciPy's root finders and bounded minimizers the crossovers, the resonance, the
bandwidth and the modulus margin. The native model answers through the page's
C interface (frequency_probe, labo_reference).

Usage: test_frequency_reference.py FREQUENCY_PROBE LABO_REFERENCE
"""
import json
import math
import subprocess
import sys

try:
    import numpy as np
    from scipy import optimize, signal
except ImportError:
    print('skipped: python3-scipy is missing')
    sys.exit(77)

# The textbook's antenna (N. S. Nise's case study), SI units.
Kpot, a_chopper, Ra, Kt, Kb, Kg = 1 / math.pi, 100.0, 8.0, 0.5, 0.5, 0.1
Jm = 0.02 + 1.0 * Kg ** 2
Dm = 0.01 + 1.0 * Kg ** 2
am = (Dm + Kt * Kb / Ra) / Jm
PLANT_NUM = [Kpot * a_chopper * Kg * Kt / (Ra * Jm)]
PLANT_DEN = np.polymul([1, 0], np.polymul([1, a_chopper], [1, am]))


def corrector(s):
    """The corrector's numerator and denominator (highest power first)."""
    K = s['K']
    kind = s.get('regulateur', 'P')
    if kind == 'P':
        return [K], [1]
    if kind == 'PI':
        return [K * s['Ti'], K], [s['Ti'], 0]
    if kind == 'PID':
        Ti, Td, N = s['Ti'], s['Td'], s['N']
        Tf = Td / N
        # K (1 + 1/(Ti s) + Td s/(1 + Tf s)) over Ti s (1 + Tf s)
        return [K * Ti * (Tf + Td), K * (Ti + Tf), K], [Ti * Tf, Ti, 0]
    a, tau = s['a'], s['tau']
    return [K * a * tau, K], [tau, 1]


def open_loop(s):
    num, den = corrector(s)
    return np.polymul(num, PLANT_NUM), np.polymul(den, PLANT_DEN)


def link(s):
    return '&'.join(f'{k}={v}' for k, v in s.items())


class Loop:
    """L and T = L / (1 + L) of a set-up, by SciPy."""

    def __init__(self, s):
        self.num, self.den = open_loop(s)
        self.L = signal.lti(self.num, self.den)
        self.closed_den = np.polyadd(self.den, self.num)
        self.T = signal.lti(self.num, self.closed_den)
        self.poles = np.roots(self.closed_den)
        self.integrators = int(np.sum(np.abs(np.roots(self.den)) < 1e-12))
        self.grid = np.logspace(-4, 4, 160001)

    def at(self, w):
        return signal.freqresp(self.L, w=np.atleast_1d(w))[1]

    def closed(self, w):
        return signal.freqresp(self.T, w=np.atleast_1d(w))[1]

    @staticmethod
    def lifted(grid, values, w, exact, start=0.0):
        """An angle in degrees at w, unwrapped along the grid from the turn
        nearest `start` at its beginning."""
        unwrapped = np.degrees(np.unwrap(np.angle(values)))
        unwrapped += 360 * np.round((start - unwrapped[0]) / 360)
        near = np.interp(w, grid, unwrapped)
        return near + (np.degrees(np.angle(exact)) - near + 180) % 360 - 180

    def phase(self, w):
        """arg L, continuous from -90 degrees per integrator at w -> 0."""
        w = np.atleast_1d(w)
        return self.lifted(self.grid, self.at(self.grid), w, self.at(w), -90 * self.integrators)

    def closed_phase(self, w):
        w = np.atleast_1d(w)
        return self.lifted(self.grid, self.closed(self.grid), w, self.closed(w))

    def extremum(self, f, sign):
        """The w where sign * f is least, refined from the grid."""
        values = sign * f(self.grid)
        i = int(np.argmin(values))
        lo, hi = self.grid[max(i - 1, 0)], self.grid[min(i + 1, len(self.grid) - 1)]
        r = optimize.minimize_scalar(lambda x: sign * f(np.exp(x))[0], bounds=(math.log(lo), math.log(hi)),
                                     method='bounded', options={'xatol': 1e-12})
        return math.exp(r.x), sign * r.fun

    def crossing(self, f):
        """The w's where f changes sign, refined from the grid."""
        values = f(self.grid)
        found = []
        for i in np.nonzero(np.sign(values[:-1]) != np.sign(values[1:]))[0]:
            found.append(optimize.brentq(lambda w: f(w)[0], self.grid[i], self.grid[i + 1], xtol=1e-14, rtol=1e-14))
        return found

    def figures(self):
        stable = bool(np.all(self.poles.real < 0))
        wr, peak = self.extremum(lambda w: np.abs(self.closed(w)), -1)
        bandwidth = self.crossing(lambda w: np.abs(self.closed(w)) - 1 / math.sqrt(2))[0]
        wm, margin = self.extremum(lambda w: np.abs(1 + self.at(w)), 1)
        wc = self.crossing(lambda w: np.abs(self.at(w)) - 1)
        w180 = self.crossing(lambda w: self.phase(w) + 180)
        return {
            'stable': stable,
            'Q': 20 * math.log10(peak), 'wr': wr, 'BP': bandwidth, 'MM': margin, 'wMM': wm,
            'MP': 180 + self.phase(wc[0])[0], 'wc': wc[0],
            'MG': -20 * math.log10(abs(self.at(w180[0])[0])) if w180 else math.inf,
            'w180': w180[0] if w180 else None,
        }


failures = []


def check(what, got, want, tolerance):
    ok = got is not None and want is not None and abs(got - want) <= tolerance * max(1.0, abs(want))
    print(f"{'ok  ' if ok else 'FAIL'} {what}: model {got!r}, SciPy {want!r}")
    if not ok:
        failures.append(what)


def probe(*args):
    out = subprocess.run([sys.argv[1], *args], capture_output=True, text=True, check=True).stdout
    return [json.loads(line) for line in out.splitlines()]


def reference(*links):
    out = subprocess.run([sys.argv[2], *links], capture_output=True, text=True, check=True).stdout
    return [json.loads(line)['report'] for line in out.splitlines()]


# Margins, resonance, bandwidth and modulus margin, for each corrector.
SETUPS = [
    {'regulateur': 'P', 'K': 64.2},
    {'regulateur': 'P', 'K': 500},
    {'regulateur': 'PI', 'K': 64.2, 'Ti': 4},
    {'regulateur': 'PID', 'K': 300, 'Ti': 3, 'Td': 0.2, 'N': 8},
    {'regulateur': 'avance', 'K': 300, 'a': 6, 'tau': 0.08},
    {'regulateur': 'retard', 'K': 100, 'a': 0.2, 'tau': 8},
]
for s, answer in zip(SETUPS, probe(*map(link, SETUPS))):
    name = link(s)
    report, analysis = answer['report'], answer['report']['analysis']
    want = Loop(s).figures()
    f = report['frequency']
    check(f'{name}: stable', analysis['stable'], want['stable'], 0)
    check(f'{name}: phase margin', analysis['phaseMargin'], want['MP'], 1e-7)
    check(f'{name}: its pulsation', analysis['phaseMarginOmega'], want['wc'], 1e-8)
    check(f'{name}: gain margin (dB)', analysis['gainMarginDb'], want['MG'], 1e-7)
    check(f'{name}: its pulsation', analysis['gainMarginOmega'], want['w180'], 1e-8)
    check(f'{name}: resonance (dB)', f['resonanceDb'], want['Q'], 1e-7)
    check(f'{name}: its pulsation', f['resonanceOmega'], want['wr'], 1e-5)
    check(f'{name}: bandwidth', f['bandwidth'], want['BP'], 1e-8)
    check(f'{name}: modulus margin', f['modulusMargin'], want['MM'], 1e-9)
    check(f'{name}: its pulsation', f['modulusOmega'], want['wMM'], 1e-5)
    # The closed loop's Bode, point by point.
    loop = Loop(s)
    w = np.array(answer['bode']['omega'])
    gain_error = np.max(np.abs(np.array(answer['bode']['gainBF']) - 20 * np.log10(np.abs(loop.closed(w)))))
    phase_error = np.max(np.abs(np.array(answer['bode']['phaseBF']) - loop.closed_phase(w)))
    check(f'{name}: closed-loop Bode gain, largest difference (dB)', gain_error, 0, 1e-9)
    check(f'{name}: closed-loop Bode phase, largest difference (degrees)', phase_error, 0, 1e-6)

# The figures the notes measured for P at K = 64.2.
p64 = probe('K=64.2')[0]['report']['frequency']
check('P, K = 64.2: Q as measured before (dB)', round(p64['resonanceDb'], 2), 2.63, 0)
check('P, K = 64.2: bandwidth as measured before', round(p64['bandwidth'], 2), 2.83, 0)
check('P, K = 64.2: modulus margin as measured before', round(p64['modulusMargin'], 3), 0.602, 0)

# Break pulsations: the moduli of L's poles and zeros but 0, a pair once.
BREAKS = [
    {'regulateur': 'P', 'K': 10},
    {'regulateur': 'PID', 'K': 100, 'Ti': 0.5, 'Td': 0.5, 'N': 10},   # a pair of complex zeros
    {'regulateur': 'avance', 'K': 50, 'a': 10, 'tau': 0.02},
    {'regulateur': 'retard', 'K': 50, 'a': 0.1, 'tau': 20},
]
for s, answer in zip(BREAKS, probe(*map(link, BREAKS))):
    num, den = open_loop(s)
    moduli = [abs(r) for r in np.concatenate([np.roots(num), np.roots(den)]) if abs(r) > 1e-12 and r.imag >= 0]
    got = [b['omega'] for b in answer['report']['asymptotes']['breaks']]
    check(f'{link(s)}: as many breaks', len(got), len(moduli), 0)
    for g, w in zip(got, sorted(moduli)):
        check(f'{link(s)}: break', g, w, 1e-9)
    # The asymptotes start on L's low-frequency line K_B / w^n, K_B read
    # on L far below every break.
    lines, loop, low = answer['asymptotes'], Loop(s), 1e-7
    w0 = lines['omega'][0]
    check(f'{link(s)}: first asymptote at {w0} rad/s (dB)', lines['gain'][0],
          20 * math.log10(abs(loop.at(low)[0])) + 20 * loop.integrators * math.log10(low / w0), 1e-6)
    check(f'{link(s)}: its phase', lines['phase'][0], -90 * loop.integrators, 0)

# Placing a phase lead: the result really crosses 0 dB at omega_c with MP.
DESIGNS = [(5, 45), (10, 50), (3, 60), (8, 40)]
for wc, mp in DESIGNS:
    d = probe('--lead', str(wc), str(mp))[0]
    name = f'lead for omega_c = {wc}, MP = {mp}'
    check(f'{name}: placed', d['placed'], True, 0)
    s = {'regulateur': 'avance', 'K': d['K'], 'a': d['a'], 'tau': d['tau']}
    loop = Loop(s)
    check(f'{name}: |L(j omega_c)|', abs(loop.at(wc)[0]), 1, 1e-9)
    check(f'{name}: 180 + arg L(j omega_c)', 180 + loop.phase(wc)[0], mp, 1e-6)
    placed = reference(d['pairs'])[0]['analysis']
    check(f'{name}: the model reads MP', placed['phaseMargin'], mp, 1e-7)
    check(f'{name}: at omega_c', placed['phaseMarginOmega'], wc, 1e-8)
# And the two refusals: a gain alone is enough, one lead is not.
alone = probe('--lead', '1', '30')[0]
check('omega_c = 1, MP = 30: a gain alone, its K', alone['K'], 1 / abs(Loop({'K': 1}).at(1)[0]), 1e-9)
check('omega_c = 1, MP = 30: nothing placed', alone['placed'], False, 0)
check('omega_c = 1, MP = 30: the pairs offer that K', alone['pairs'].startswith('regulateur=P&K='), True, 0)
too_much = probe('--lead', '40', '60')[0]
check('omega_c = 40, MP = 60: phi, beyond what a = 100 gives', too_much['phi'],
      60 - (180 + Loop({'K': 1}).phase(40)[0]), 1e-7)
check('omega_c = 40, MP = 60: nothing placed', too_much['placed'] or bool(too_much['pairs']), False, 0)

# The harmonic response: read on the run's last period, beside |T| and arg T.
SINES = [({'regulateur': 'P', 'K': 64.2}, w) for w in (0.3, 1.7, 5, 20)] + \
        [({'regulateur': 'avance', 'K': 300, 'a': 6, 'tau': 0.08}, 8)]
links = [link({**s, 'entree': 'sinus', 'pulsation': w, 'amplitude': 10, 'duree': 60}) for s, w in SINES]
for (s, w), report in zip(SINES, reference(*links)):
    loop = Loop(s)
    T = loop.closed(w)[0]
    want_phase = loop.closed_phase(w)[0]
    figures = {f['key']: f for f in report['figures']}
    name = f'{link(s)} at {w} rad/s'
    check(f'{name}: measured ratio', figures['rapport']['value'], abs(T), 1e-6)
    check(f'{name}: measured phase', figures['dephasage']['value'], want_phase, 1e-4)
    check(f'{name}: predicted ratio (dB)', report['harmonic']['predictedDb'], 20 * math.log10(abs(T)), 1e-9)
    check(f'{name}: predicted phase', report['harmonic']['predictedPhase'], want_phase, 1e-6)

# Nyquist's count of unstable closed-loop poles, against the poles.
COUNTS = [{'regulateur': 'P', 'K': 64.2}, {'regulateur': 'P', 'K': 3000},
          {'regulateur': 'PI', 'K': 64.2, 'Ti': 0.3}, {'regulateur': 'avance', 'K': 6000, 'a': 4, 'tau': 0.1},
          {'regulateur': 'retard', 'K': 2000, 'a': 0.25, 'tau': 5}]
for s, answer in zip(COUNTS, probe(*map(link, COUNTS))):
    unstable = int(np.sum(Loop(s).poles.real > 0))
    nyquist = answer['report']['nyquist']
    check(f'{link(s)}: unstable closed-loop poles by Nyquist', nyquist['unstable'], unstable, 0)
    # The curve is L itself, and its arc at infinity joins its ends.
    curve = answer['nyquist']
    L = Loop(s).at(np.array(curve['omega']))
    error = np.max(np.abs(np.array(curve['re']) + 1j * np.array(curve['im']) - L) / np.abs(L))
    check(f'{link(s)}: Nyquist curve, largest relative difference', error, 0, 1e-9)
    check(f'{link(s)}: arc radius = the curve\'s start', nyquist['arc']['radius'], abs(L[0]), 1e-12)
    check(f'{link(s)}: arc ends at the curve\'s start (degrees)', nyquist['arc']['to'],
          Loop(s).phase(curve['omega'][0])[0], 1e-6)

print(f'{len(failures)} failed' if failures else 'all passed')
sys.exit(1 if failures else 0)
