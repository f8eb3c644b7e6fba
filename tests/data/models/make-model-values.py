#!/usr/bin/env python3
"""Independent values of the models at weathers other than the reference one,
at 30 significant digits with mpmath, written straight from the formulas of
ITU-R P.676-9 Annex 2 and ITU-R P.835-3 as the calculator applies them. They
cover what the eight bands and the storable heights never reach: the dry-air
branches of the 60 GHz oxygen complex and their seams, the upper layers of
every reference atmosphere, and the vapour density over ice.

Writes ../../model_values.inc (C++ table rows). Needs python3-mpmath.
"""

from pathlib import Path

from mpmath import mp, mpf, exp, log

mp.dps = 30
OUT = Path(__file__).resolve().parent.parent.parent / "model_values.inc"


def phi(rp, rt, a, b, c, d):
    return rp ** a * rt ** b * exp(c * (1 - rp) + d * (1 - rt))


def gamma_o(f, rp, rt):
    m = mpf
    x = lambda *k: phi(rp, rt, *map(m, k))
    xi1 = x("0.0717", "-1.8132", "0.0156", "-1.6515")
    xi2 = x("0.5146", "-4.6368", "-0.1921", "-5.7416")
    xi3 = x("0.3414", "-6.5851", "0.2130", "-8.5854")
    xi4 = x("-0.0112", "0.0092", "-0.1033", "-0.0009")
    xi5 = x("0.2705", "-2.7192", "-0.3016", "-4.1033")
    xi6 = x("0.2445", "-5.9191", "0.0422", "-8.0719")
    xi7 = x("-0.1833", "6.5589", "-0.2402", "6.131")
    g54 = m("2.192") * x("1.8286", "-1.9487", "0.4051", "-2.8509")
    g58 = m("12.59") * x("1.0045", "3.561", "0.1588", "1.2834")
    g60 = 15 * x("0.9003", "4.1335", "0.0427", "1.6088")
    g62 = m("14.28") * x("0.9886", "3.4176", "0.1827", "1.3429")
    g64 = m("6.819") * x("1.432", "0.6258", "0.3177", "-0.5914")
    g66 = m("1.908") * x("2.0717", "-4.1404", "0.491", "-4.8718")
    delta = m("-0.00306") * x("3.211", "-14.94", "1.583", "-16.37")
    if f <= 54:
        return (m("7.2") * rt ** m("2.8") / (f ** 2 + m("0.34") * rp ** 2 * rt ** m("1.6")) +
                m("0.62") * xi3 / ((54 - f) ** (m("1.16") * xi1) + m("0.83") * xi2)) * f ** 2 * rp ** 2 / 1000
    if f <= 60:
        return exp(log(g54) / 24 * (f - 58) * (f - 60) - log(g58) / 8 * (f - 54) * (f - 60) +
                   log(g60) / 12 * (f - 54) * (f - 58))
    if f <= 62:
        return g60 + (g62 - g60) * (f - 60) / 2
    if f <= 66:
        return exp(log(g62) / 8 * (f - 64) * (f - 66) - log(g64) / 4 * (f - 62) * (f - 66) +
                   log(g66) / 8 * (f - 62) * (f - 64))
    if f <= 120:
        return (m("3.02e-4") * rt ** m("3.5") +
                m("0.283") * rt ** m("3.8") / ((f - m("118.75")) ** 2 + m("2.91") * rp ** 2 * rt ** m("1.6")) +
                m("0.502") * xi6 * (1 - m("0.0163") * xi7 * (f - 66)) /
                ((f - 66) ** (m("1.4346") * xi4) + m("1.15") * xi5)) * f ** 2 * rp ** 2 / 1000
    return (m("3.02e-4") / (1 + m("1.9e-5") * f ** m("1.5")) +
            m("0.283") * rt ** m("0.3") / ((f - m("118.75")) ** 2 + m("2.91") * rp ** 2 * rt ** m("1.6"))
            ) * f ** 2 * rp ** 2 * rt ** m("3.5") / 1000 + delta


def vapour_density(t, H, water):
    a, b, c = (("6.1121", "17.502", "240.9") if water else ("6.1115", "22.452", "272.55"))
    es = mpf(a) * exp(mpf(b) * t / (t + mpf(c)))
    return mpf("216.7") * es * H / 100 / (t + mpf("273.1"))


# P.835-3 profiles: (upper bound of the layer, formula) per quantity; the
# last layer has no bound.
def profiles():
    m = mpf
    E = exp
    low = {
        "T": [(17, lambda h: m("300.4222") - m("6.3533") * h + m("0.005886") * h * h),
              (47, lambda h: 194 + m("2.533") * (h - 17)), (52, lambda h: m(270)),
              (80, lambda h: 270 - m("3.0714") * (h - 52)), (None, lambda h: m(184))],
        "P": [(10, lambda h: m("1012.0306") - m("109.0338") * h + m("3.6316") * h * h),
              (72, lambda h: m("284.8536") * E(m("-0.147") * (h - 10))),
              (None, lambda h: m("0.0313662") * E(m("-0.165") * (h - 72)))],
        "rho": [(15, lambda h: m("19.6542") * E(m("-0.2313") * h - m("0.1122") * h ** 2 +
                                                 m("0.01351") * h ** 3 - m("0.0005923") * h ** 4)),
                (None, lambda h: m(0))],
    }
    mid_summer = {
        "T": [(13, lambda h: m("294.9838") - m("5.2159") * h - m("0.07109") * h * h),
              (17, lambda h: m("215.15")), (47, lambda h: m("215.15") * E(m("0.008128") * (h - 17))),
              (53, lambda h: m(275)), (80, lambda h: 275 + 20 * (1 - E(m("0.06") * (h - 53)))),
              (None, lambda h: m(175))],
        "P": [(10, lambda h: m("1012.8186") - m("111.5569") * h + m("3.8646") * h * h),
              (72, lambda h: m("283.7096") * E(m("-0.147") * (h - 10))),
              (None, lambda h: m("0.031240223") * E(m("-0.165") * (h - 72)))],
        "rho": [(15, lambda h: m("14.3542") * E(m("-0.4174") * h - m("0.0229") * h ** 2 +
                                                 m("0.001007") * h ** 3)), (None, lambda h: m(0))],
    }
    mid_winter = {
        "T": [(10, lambda h: m("272.7241") - m("3.6217") * h - m("0.1759") * h * h),
              (33, lambda h: m(218)), (47, lambda h: 218 + m("3.3571") * (h - 33)),
              (53, lambda h: m(265)), (80, lambda h: 265 - m("2.037") * (h - 53)),
              (None, lambda h: m(210))],
        "P": [(10, lambda h: m("1018.8627") - m("124.2954") * h + m("4.8307") * h * h),
              (72, lambda h: m("258.9787") * E(m("-0.147") * (h - 10))),
              (None, lambda h: m("0.02851702") * E(m("-0.155") * (h - 72)))],
        "rho": [(10, lambda h: m("3.4742") * E(m("-0.2697") * h - m("0.03604") * h ** 2 +
                                                m("0.0004489") * h ** 3)), (None, lambda h: m(0))],
    }
    high_summer = {
        "T": [(10, lambda h: m("286.8374") - m("4.7805") * h - m("0.1402") * h * h),
              (23, lambda h: m(225)), (48, lambda h: 225 * E(m("0.008317") * (h - 23))),
              (53, lambda h: m(277)), (79, lambda h: 277 - m("4.0769") * (h - 53)),
              (None, lambda h: m(171))],
        "P": [(10, lambda h: m("1008.0278") - m("113.2494") * h + m("3.9408") * h * h),
              (72, lambda h: m("269.6138") * E(m("-0.14") * (h - 10))),
              (None, lambda h: m("0.045821") * E(m("-0.165") * (h - 72)))],
        # q and c as ITU-R P.835-3 gives them for this profile.
        "rho": [(15, lambda h: m("8.988") * E(m("-0.3614") * h - m("0.005402") * h ** 2 -
                                               m("0.001955") * h ** 3)), (None, lambda h: m(0))],
    }
    high_winter = {
        "T": [(m("8.5"), lambda h: m("257.4345") + m("2.3474") * h - m("1.5479") * h ** 2 +
               m("0.08473") * h ** 3),
              (30, lambda h: m("217.5")), (50, lambda h: m("217.5") + m("2.125") * (h - 30)),
              (54, lambda h: m(260)), (None, lambda h: 260 - m("1.667") * (h - 54))],
        "P": [(10, lambda h: m("1010.8828") - m("122.2411") * h + m("4.554") * h * h),
              (72, lambda h: m("243.8718") * E(m("-0.147") * (h - 10))),
              (None, lambda h: m("0.0268535") * E(m("-0.15") * (h - 72)))],
        "rho": [(10, lambda h: m("1.2319") * E(m("0.07481") * h - m("0.0981") * h ** 2 +
                                                m("0.00281") * h ** 3)), (None, lambda h: m(0))],
    }
    return [("low latitude", 0, 0, low), ("mid summer", 1, 0, mid_summer),
            ("mid winter", 1, 1, mid_winter), ("high summer", 2, 0, high_summer),
            ("high winter", 2, 1, high_winter)]


def layer_value(layers, h):
    for top, formula in layers:
        if top is None or h <= top:
            return formula(h)


def c_real(v):
    return mp.nstr(v, 22, strip_zeros=False, min_fixed=-30, max_fixed=30) + "L"


def main():
    rows = ["// Generated by tests/data/models/make-model-values.py; do not edit.", "// clang-format off"]
    # Weathers away from 1013 hPa and 15 degC: hot and low, cold and high.
    weathers = [("850 hPa, -20 degC", 850, -20), ("1040 hPa, 35 degC", 1040, 35),
                ("700 hPa, 5 degC", 700, 5)]
    freqs = ["54", "56", "58", "60", "61", "62", "63.5", "65", "66", "66.5", "120", "200", "350"]
    rows.append("const DryAirRow kDryAirRows[] = {")
    for what, p, t in weathers:
        rp, rt = mpf(p) / 1013, mpf(288) / (t + 273)
        for f in freqs:
            v = gamma_o(mpf(f), rp, rt)
            rows.append(f'{{"{f} GHz at {what}", {f}L, {p}, {t}, {c_real(v)}}},')
    rows.append("};")

    rows.append("const VapourDensityRow kVapourDensityRows[] = {")
    for t, H in [(-10, 80), (-25, 40), (-2.5, 100), (10, 60)]:
        for water in (True, False):
            v = vapour_density(mpf(t), mpf(H), water)
            over = "water" if water else "ice"
            rows.append(f'{{"{t} degC, {H} %, over {over}", {t}L, {H}, {str(water).lower()}, {c_real(v)}}},')
    rows.append("};")

    # One height inside every layer of every quantity, and each layer's top.
    heights = ["3", "8.5", "9", "10", "10.5", "12", "13", "15", "16", "17", "20", "23", "25", "30", "31",
               "33", "40", "47", "48", "49", "50", "52", "53", "54", "60", "72", "75", "79",
               "79.5", "80", "90"]
    rows.append("const ProfileRow kProfileRows[] = {")
    for name, zone, season, quantities in profiles():
        for h in heights:
            T, P, rho = (layer_value(quantities[q], mpf(h)) for q in ("T", "P", "rho"))
            rows.append(f'{{"{name} at {h} km", {zone}, {season}, {h}L, {c_real(T)}, '
                        f'{c_real(P)}, {c_real(rho)}}},')
    rows.append("};")
    rows.append("// clang-format on")
    OUT.write_text("\n".join(rows) + "\n")


if __name__ == "__main__":
    main()
