#!/usr/bin/python3
"""The sampled and delayed loops' analysis against SciPy's, and the set-ups
of version 1.7 against that release's own runs and figures.

The loop is written out again here from the textbook's values, independently
of the model's code. A sampled loop: the plant (chopper, motor, gearbox and
sensor) discretized with its zero-order hold by SciPy's cont2discrete; the
corrector's state-space model discretized by cont2discrete too, backward
differences for Euler and the bilinear transform for Tustin, as a model
with states (a static gain passed through cont2discrete's transfer-function
form gains a pole and a zero at z = 1 that cancel only on paper, and put
into a closed loop they leave a false pole at 1); a delay of whole periods
as registers of u, and the rest of a period by the two integrals of the
plant's response over it (SciPy's expm). Its poles are NumPy's eigenvalues
of the closed loop's matrix in z, its critical gain the K where the largest
|z| passes 1 (SciPy's brentq). A delayed continuous loop: its critical gain
where the phase of C G e^(-j w delay) reaches -180° and its phase margin
where |C G| = 1, by brentq on SciPy's frequency response.

Version 1.7's set-ups (no setting of version 1.8 set) must run and read as
that release did, to the last digit: release_1_7.json holds, for each link,
a digest of its samples and of its CSV, and its figures and analysis, as
1.7's own labo_reference gave them; `--record LABO_REFERENCE_1_7` writes it
again from that release's program.

Usage: test_sampled_reference.py LABO_REFERENCE
       test_sampled_reference.py --record LABO_REFERENCE_1_7
"""
import hashlib
import json
import math
import os
import subprocess
import sys

try:
    import numpy as np
    from scipy import linalg, optimize, signal
except ImportError:
    print('skipped: python3-scipy is missing')
    sys.exit(77)

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, 'release_1_7.json')

# The textbook's antenna (N. S. Nise's case study), SI units.
Kpot, a_chopper, Ra, Kt, Kb, Kg = 1 / math.pi, 100.0, 8.0, 0.5, 0.5, 0.1
Jm = 0.02 + 1.0 * Kg ** 2
Dm = 0.01 + 1.0 * Kg ** 2
am = (Dm + Kt * Kb / Ra) / Jm
# From the chopper's input to the sensor's voltage: states Ea, wm, theta.
A = np.array([[-a_chopper, 0, 0], [Kt / (Ra * Jm), -am, 0], [0, Kg, 0]])
B = np.array([[a_chopper], [0.0], [0.0]])
C = np.array([[0, 0, Kpot]])


def report(program, links):
    out = subprocess.run([program, *links], capture_output=True, text=True, check=True).stdout.splitlines()
    return [json.loads(line) for line in out]


def corrector_ss(s, K):
    """The corrector's state-space model with gain K: (A, B, C, D)."""
    if s.get('regulateur', 'P') == 'P':
        return np.zeros((0, 0)), np.zeros((0, 1)), np.zeros((1, 0)), np.array([[K]])
    Ti = s['Ti']  # PI: u = K (e + x / Ti), x' = e
    return np.zeros((1, 1)), np.ones((1, 1)), np.array([[K / Ti]]), np.array([[K]])


def sampled_plant(Te, delay):
    """Phi and the inputs' matrices over a period: u(k - d), u(k - d - 1)."""
    d = int(math.floor(delay / Te + 1e-9))
    rest = delay - d * Te
    if rest < 1e-9 * Te:
        Phi, G0, _, _, _ = signal.cont2discrete((A, B, C, np.zeros((1, 1))), Te, method='zoh')
        return Phi, G0, np.zeros((3, 1)), d

    def hold(T):
        M = np.zeros((4, 4))
        M[:3, :3], M[:3, 3:] = A * T, B * T
        E = linalg.expm(M)
        return E[:3, :3], E[:3, 3:]
    Phi, whole = hold(Te)
    _, G0 = hold(Te - rest)
    return Phi, G0, whole - G0, d


def sampled_matrix(s, K):
    """The closed loop's matrix in z: plant, corrector, registers of u."""
    Te, delay = s['Te'], s.get('retard', 0)
    Phi, G0, G1, d = sampled_plant(Te, delay)
    method = 'bilinear' if s.get('discretisation') == 'tustin' else 'backward_diff'
    Ac, Bc, Cc, Dc = corrector_ss(s, K)
    if Ac.shape[0]:
        Ac, Bc, Cc, Dc, _ = signal.cont2discrete((Ac, Bc, Cc, Dc), Te, method=method)
    nc = Ac.shape[0]
    registers = d + (1 if np.any(G1) else 0)
    n = 3 + nc + registers
    u = np.zeros((1, n))  # u(k) over the state: Cc xc - Dc C x
    u[0, :3] = -(Dc @ C)[0]
    u[0, 3:3 + nc] = Cc[0]

    def past(j):
        if j == 0:
            return u
        r = np.zeros((1, n))
        r[0, 3 + nc + j - 1] = 1
        return r
    M = np.zeros((n, n))
    M[:3, :3] = Phi
    M[:3] += G0 @ past(d)
    if np.any(G1):
        M[:3] += G1 @ past(d + 1)
    if nc:
        M[3:3 + nc, :3] = -Bc @ C
        M[3:3 + nc, 3:3 + nc] = Ac
    if registers:
        M[3 + nc] = u[0]
        for j in range(1, registers):
            M[3 + nc + j, 3 + nc + j - 1] = 1
    return M


def largest_z(s, K):
    return max(abs(np.linalg.eigvals(sampled_matrix(s, K))))


def first_unstable_gain(stable_at):
    """The K where the loop first turns unstable as K rises from 1."""
    Ks = np.geomspace(1, 1e5, 400)
    for lo, hi in zip(Ks, Ks[1:]):
        if stable_at(lo) > 0 > stable_at(hi):
            return optimize.brentq(stable_at, lo, hi, xtol=1e-10, rtol=1e-13)
    return None


def delayed_loop(s):
    """L1(j w) = C G e^(-j w delay) with K = 1, and its phase, continuous."""
    num = [s.get('Ti', 0), 1] if s.get('regulateur') == 'PI' else [1]
    den = [s['Ti'], 0] if s.get('regulateur') == 'PI' else [1]
    num = np.polymul(num, [Kpot * a_chopper * Kg * Kt / (Ra * Jm)])
    den = np.polymul(den, np.polymul([1, 0], np.polymul([1, a_chopper], [1, am])))
    tau = s['retard']

    def at(w):
        return signal.freqs(num, den, worN=[w])[1][0] * np.exp(-1j * w * tau)

    def phase(w):  # each factor's angle, continuous
        z = np.roots(num)
        p = np.roots(den)
        return (sum(np.angle(1j * w - z)) - sum(np.angle(1j * w - p)) - w * tau) * 180 / math.pi
    return at, phase


def near(a, b, relative):
    return abs(a - b) <= relative * max(abs(b), 1e-12)


def check_sampled(program):
    """Poles, critical gain and its pulsation of sampled P and PI loops."""
    failures = []
    cases = []
    for Te in (0.01, 0.05, 0.1):
        for discretization in ('euler', 'tustin'):
            cases.append({'K': 64.2, 'Te': Te, 'discretisation': discretization})
            cases.append({'regulateur': 'PI', 'K': 64.2, 'Ti': 4, 'Te': Te, 'discretisation': discretization})
    cases.append({'K': 64.2, 'Te': 0.05, 'retard': 0.1})                 # two periods late
    cases.append({'regulateur': 'PI', 'K': 30, 'Ti': 4, 'Te': 0.04, 'retard': 0.09})  # two and a quarter
    links = ['&'.join(f'{k}={v}' for k, v in s.items()) for s in cases]
    for s, link, out in zip(cases, links, report(program, links)):
        a = out['report']['analysis']
        model = [complex(*p) for p in a['poles']]
        scipy_poles = list(np.linalg.eigvals(sampled_matrix(s, s['K'])))
        # Each of SciPy's poles is one of the model's (they come in the same number).
        unmatched = [p for p in scipy_poles if min(abs(p - q) for q in model) > 1e-8] if model else scipy_poles
        if len(model) != len(scipy_poles) or unmatched:
            failures.append(f'{link}: poles {model} against SciPy\'s {scipy_poles}')
        Kc = first_unstable_gain(lambda K: 1 - largest_z(s, K))
        if a['critical'] is None or not near(a['critical']['K'], Kc, 1e-6):
            failures.append(f'{link}: critical gain {a["critical"]} against SciPy\'s {Kc}')
            continue
        z = max(np.linalg.eigvals(sampled_matrix(s, Kc)), key=abs)
        wc = abs(np.angle(z)) / s['Te']
        if not near(a['critical']['omega'], wc, 1e-5):
            failures.append(f'{link}: critical pulsation {a["critical"]["omega"]} against SciPy\'s {wc}')
        print(f'{link}: Kcrit {a["critical"]["K"]:.6g} (SciPy {Kc:.6g}), w {a["critical"]["omega"]:.5g} (SciPy {wc:.5g})')
    # The figures NOTES.md gives for P: about 1,740, 750 and 440.
    for Te, expected in ((0.01, 1740), (0.05, 750), (0.1, 440)):
        Kc = first_unstable_gain(lambda K: 1 - largest_z({'K': 1, 'Te': Te}, K))
        if not near(Kc, expected, 0.005):
            failures.append(f'Te = {Te}: SciPy\'s critical gain {Kc} is not about {expected}')
    return failures


def check_delayed(program):
    """Critical gain, its pulsation and the margins of delayed continuous loops."""
    failures = []
    cases = [{'K': 64.2, 'retard': 0.1}, {'K': 20, 'retard': 0.5},
             {'regulateur': 'PI', 'K': 40, 'Ti': 4, 'retard': 0.2}]
    links = ['&'.join(f'{k}={v}' for k, v in s.items()) for s in cases]
    for s, link, out in zip(cases, links, report(program, links)):
        a = out['report']['analysis']
        at, phase = delayed_loop(s)
        grid = np.geomspace(0.01, 100, 4000)
        values = [phase(w) + 180 for w in grid]
        i = next(i for i in range(len(grid) - 1) if values[i] > 0 >= values[i + 1])
        wc = optimize.brentq(lambda w: phase(w) + 180, grid[i], grid[i + 1], xtol=1e-13)
        Kc = 1 / abs(at(wc))
        if a['critical'] is None or not near(a['critical']['K'], Kc, 1e-6) or not near(a['critical']['omega'], wc, 1e-6):
            failures.append(f'{link}: critical {a["critical"]} against SciPy\'s K = {Kc}, w = {wc}')
        K = s['K']
        gm = 20 * math.log10(Kc / K)
        if not near(a['gainMarginDb'], gm, 1e-6):
            failures.append(f'{link}: gain margin {a["gainMarginDb"]} dB against SciPy\'s {gm}')
        gains = [abs(K * at(w)) - 1 for w in grid]
        j = next(j for j in range(len(grid) - 1) if gains[j] > 0 >= gains[j + 1])
        wp = optimize.brentq(lambda w: abs(K * at(w)) - 1, grid[j], grid[j + 1], xtol=1e-13)
        pm = 180 + phase(wp)
        if not near(a['phaseMargin'], pm, 1e-6) or not near(a['phaseMarginOmega'], wp, 1e-6):
            failures.append(f'{link}: phase margin {a["phaseMargin"]} at {a["phaseMarginOmega"]} against SciPy\'s {pm} at {wp}')
        print(f'{link}: Kcrit {a["critical"]["K"]:.6g} (SciPy {Kc:.6g}), MG {a["gainMarginDb"]:.4f} dB, '
              f'MP {a["phaseMargin"]:.4f}° (SciPy {pm:.4f}°)')
    if not near(check_kcrit_note(), 241, 0.005):
        failures.append('SciPy\'s critical gain with a 0.1 s delay is not about 241')
    return failures


def check_kcrit_note():
    at, phase = delayed_loop({'retard': 0.1})
    wc = optimize.brentq(lambda w: phase(w) + 180, 1, 10, xtol=1e-13)
    return 1 / abs(at(wc))


# What version 1.7's report held, and is compared.
FIGURE_FIELDS = ('key', 'state', 'value', 'text', 'reason')
ANALYSIS_FIELDS = ('poles', 'zeros', 'stable', 'damping', 'naturalPulsation', 'crossings', 'stableGains',
                   'critical', 'gainMargin', 'gainMarginDb', 'gainMarginOmega', 'gainMarginBelow',
                   'gainMarginWay', 'phaseMargin', 'phaseMarginOmega')
RELEASE_LINKS = ['K=64.2', 'K=10', 'K=3000', 'K=5000&saturation=0&duree=120', 'preset=rampe', 'preset=perturbation',
                 'preset=perturbationPI', 'regulateur=PI&K=64.2&Ti=2&entree=rampe&duree=30',
                 'regulateur=PID&K=64.2&Ti=2&Td=0.5&saturation=20', 'regulateur=PID&K=10&Ti=0.3&Td=0.5',
                 'regulateur=PI&K=200&Ti=1&amplitude=150&duree=20&antisaturation=0',
                 'K=64.2&amplitude=0&vent=1&debutVent=3&dureeVent=1&duree=20', 'K=2620',
                 'K=300&amplitude=20&vent=2.5&debutVent=8&duree=20']


def digest(value):
    return hashlib.sha256(json.dumps(value, sort_keys=True).encode()).hexdigest()


def release_record(out):
    r = out['report']
    return {'samples': digest(out['samples']), 'csv': hashlib.sha256(out['csv'].encode()).hexdigest(),
            'figures': [{k: f[k] for k in FIGURE_FIELDS} for f in r['figures'] if f['key'] in
                        ('D1', 'tpic', 'tr5', 'statique', 'traine', 'ecartVent', 'vent')],
            'analysis': digest({k: r['analysis'][k] for k in ANALYSIS_FIELDS}),
            'lines': r['analysis']['lines']}


def check_release(program):
    """Version 1.7's set-ups: the same samples, CSV, figures and analysis."""
    with open(GOLDEN, encoding='utf-8') as f:
        golden = json.load(f)
    failures = []
    for link, out in zip(RELEASE_LINKS, report(program, RELEASE_LINKS)):
        now, then = release_record(out), golden[link]
        for part in ('samples', 'csv', 'figures', 'analysis'):
            if now[part] != then[part]:
                failures.append(f'{link}: its {part} are not version 1.7\'s')
        lines = dict(map(tuple, now['lines']))
        for name, text in then['lines']:  # every line 1.7 wrote, as it wrote it
            if lines.get(name) != text:
                failures.append(f'{link}: «{name}» reads {lines.get(name)!r}, 1.7 wrote {text!r}')
    print(f'{len(RELEASE_LINKS)} set-ups of version 1.7 read as that release did' if not failures else '')
    return failures


def main():
    if len(sys.argv) == 3 and sys.argv[1] == '--record':
        records = {link: release_record(out) for link, out in zip(RELEASE_LINKS, report(sys.argv[2], RELEASE_LINKS))}
        with open(GOLDEN, 'w', encoding='utf-8') as f:
            json.dump(records, f, ensure_ascii=False, indent=1)
            f.write('\n')
        return
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    failures = check_sampled(sys.argv[1]) + check_delayed(sys.argv[1]) + check_release(sys.argv[1])
    for failure in failures:
        print('FAIL', failure)
    sys.exit(1 if failures else 0)


if __name__ == '__main__':
    main()
