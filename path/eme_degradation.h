#pragma once
// What a minute of EME costs against an ideal Moon: at 356 400 km from both
// stations, no atmosphere and a cold sky (2.7 K). Each term in dB, positive
// for a loss.

namespace quillmere {

// The ideal Moon's distance, km: about the closest perigee.
inline constexpr double kIdealMoonDistanceKm = 356400.0;
// The cold sky: the cosmic background, K.
inline constexpr double kColdSkyK = 2.7;
// Mean radiating temperature of the atmosphere, K: the value ITU-R P.618
// (section 3, sky noise) suggests when no local figure is known.
inline constexpr double kAtmosphereRadiatingK = 275.0;

// Distance term of a path Moon-reflected from station a to station b, dB.
// The radar equation gives a received power proportional to
// 1 / (r_a^2 r_b^2) (each one-way path spreads as 1/r^2), so against r0 on
// both: 10 log10(r_a^2 r_b^2 / r0^4) = 20 log10(r_a r_b / r0^2). For a
// station's own echoes (r_a = r_b) it is 40 log10(r / r0).
double DistanceTermDb(double range_a_km, double range_b_km);

// Sky brightness temperature through an atmosphere of attenuation
// attenuation_db, K (radiative transfer for an isothermal layer, ITU-R
// P.618 section 3): 2.7 * 10^(-A/10) + Tatm (1 - 10^(-A/10)).
double SkyTemperatureK(double attenuation_db, double t_atm_k = kAtmosphereRadiatingK);

// Disk-averaged brightness temperature of the Moon, K, after Krotikov &
// Troitsky (Soviet Physics Uspekhi 6, 1964) with the measurements compiled
// by Linsky (Astrophys. J. Suppl. 25, 1973): the Moon's radio emission
// follows its surface temperature through the lunation, damped and delayed
// the more the longer the wavelength, as the emission comes from deeper
// below the surface:
//   T(phi) = T0 [1 + b / sqrt(1 + 2 delta + 2 delta^2) cos(phi - xi)],
//   tan xi = delta / (1 + delta),
// with phi the phase angle from full Moon, T0 = 211 K (the disk mean at
// centimetre waves, Krotikov & Troitsky), b = 0.45 (the first harmonic of
// the disk-mean surface temperature) and delta, the ratio of the electrical
// to the thermal skin depth, proportional to the wavelength: delta = 3 lambda
// (lambda in cm), which gives the first-harmonic amplitudes of about 7 K at
// 3.2 cm and 24 K at 8 mm and the lags near 40 and 35 degrees of Linsky's
// compilation (fitted here, not taken from it).
//   f_hz   frequency, Hz
//   phase  fraction of the synodic cycle, 0 new Moon, 0.5 full Moon
double MoonBrightnessK(double f_hz, double phase);

// Fraction of a Gaussian beam's power that a uniform disk fills, both
// centred: 1 - exp(-ln 2 (theta_disk / theta_beam)^2) (the Gaussian's
// power inside radius theta_disk / 2, exp(-4 ln 2 rho^2 / theta_beam^2)
// integrated over the disk and divided by its integral over the sky), with
// the half-power beamwidth theta_beam = 70 lambda / D degrees of a
// parabolic dish with the usual tapered illumination (Kraus, Antennas).
double BeamFillingFactor(double f_hz, double dish_diameter_m, double disk_diameter_deg);

// Main-beam efficiency of a dish of aperture efficiency `aperture_efficiency`
// (0..1) whose main beam is the Gaussian above: the fraction of its whole
// reception pattern that the main beam holds, eta_B = Omega_MB / Omega_A
// (Kraus, Radio Astronomy, 2nd ed. 1986, sections 6-1 and 6-9). The beam
// solid angle is Omega_A = lambda^2 / A_e with the effective aperture
// A_e = eta_a pi D^2 / 4; the Gaussian's main-beam solid angle is
// Omega_MB = pi theta^2 / (4 ln 2) with theta = 70 lambda / D. The
// wavelength and the diameter cancel:
//   eta_B = eta_a (pi / 4) (pi / (4 ln 2)) (70 pi / 180)^2 = 1.3283 eta_a,
// at most 1 (an aperture efficiency above 0.75 belongs to a more uniform
// illumination and a narrower beam than the taper of 70 lambda / D).
double MainBeamEfficiency(double aperture_efficiency);

// The Moon's noise that a dish receives, K above the atmosphere: its
// antenna temperature T_A = (A_e / lambda^2) integral of T_B P_n over the
// disk (Kraus, Radio Astronomy, eq. 3-99) for a disk of uniform brightness
// in the Gaussian main beam, eta_B x the beam-filling factor x T_moon. The
// dish's efficiency enters here only: the distance, the attenuation and the
// sky, which fills the whole pattern, are ratios against the ideal Moon seen
// by the same dish, in which its gain cancels.
double MoonInBeamK(double moon_brightness_k, double f_hz, double dish_diameter_m,
                   double aperture_efficiency, double disk_diameter_deg);

// The quiet Sun's disk-averaged brightness temperature, K: the curve of
// ITU-R P.372 (radio noise, the Sun's brightness) as measured, in closed
// form. Up to 18 GHz the fit of Zirin, Baumert & Hurford (Astrophys. J.
// 370, 1991) to their 1.4-18 GHz spectrum, 140077 f^-2.1 + 10880 K (f in
// GHz: about 12 000 K at 10 GHz); then straight on log-log scales through
// the disk-centre values measured with ALMA, 7300 K at 100 GHz and 5900 K
// at 239 GHz (White et al., Solar Physics 292, 2017), and 5900 K beyond.
// The active Sun and its bursts are brighter: this is the least it adds.
double QuietSunBrightnessK(double f_hz);

// A dish's gain toward a direction `off_axis_deg` from its axis, dBi: the
// reference pattern of ITU-R F.699 (peak envelope of the sidelobes, for
// D / lambda from about 10 up), with the main lobe's peak from the dish's
// own aperture efficiency, 10 log10(eta (pi D / lambda)^2), instead of the
// Recommendation's 20 log10(D / lambda) + 7.7. F.699 rather than S.580:
// S.580 is a design objective for large earth-station antennas toward the
// geostationary orbit (D / lambda of 50 or more, 29 - 25 log phi), while the
// dishes of amateur stations, 1 to 10 metres at 10 to 241 GHz, span
// D / lambda from 30 to several thousand and are rarely built to it; F.699
// covers that whole range, and as an envelope of the sidelobe peaks it
// errs toward warning of the Sun.
double DishGainDbi(double f_hz, double dish_diameter_m, double aperture_efficiency,
                   double off_axis_deg);

// The Sun's noise that a dish pointed at the Moon receives, K above the
// atmosphere: T_B Omega_sun G(theta) / 4 pi for a disk small against the
// pattern's features at the separation theta, and never more than the main
// beam full of the Sun (MainBeamEfficiency x T_B).
double SunInBeamK(double sun_brightness_k, double f_hz, double dish_diameter_m,
                  double aperture_efficiency, double separation_deg, double sun_diameter_deg);

// Minutes where the Sun costs more than this are marked, dB.
inline constexpr double kSunMarkDb = 0.5;

// The degradation of one EME path, dB, term by term.
struct Degradation {
  double distance_db = 0.0;        // DistanceTermDb
  double attenuation_tx_db = 0.0;  // slant attenuation at the sender's Moon elevation
  double attenuation_rx_db = 0.0;  // slant attenuation at the receiver's Moon elevation
  double sky_noise_db = 0.0;       // 10 log10((Trx + Tsky) / (Trx + 2.7))
  double moon_noise_db = 0.0;      // 10 log10((Trx + Tsky + Tmoon) / (Trx + Tsky))
  // 10 log10((Trx + Tsky + Tmoon + Tsun) / (Trx + Tsky + Tmoon)): the Sun in
  // the receiving dish's pattern, dimmed by the air toward it.
  double sun_noise_db = 0.0;
  double total_db = 0.0;  // the sum of the six
};

// One path, sender a to receiver b (the same station for its own echoes).
//   range_*_km        Moon range from each station, km
//   attenuation_*_db  slant attenuation at each station's Moon elevation, dB
//   sky_b_k           the sky's brightness temperature toward the Moon at
//                     the receiver, K (2.7 K and the air's own emission)
//   receiver_noise_k  the receiver's noise temperature, K
//   moon_in_beam_k    the Moon's noise in the receiving dish, K, above the
//                     atmosphere (MoonInBeamK)
// The receiver's noise rise, 10 log10((Trx + Tsky + Tmoon,in beam) /
// (Trx + 2.7)), is split in two: the sky's part and the Moon's, the Moon's
// noise dimmed by the receiver's atmosphere like the echo.
//   sun_at_receiver_k the Sun's noise in the receiving dish after the air
//                     toward the Sun (SunInBeamK dimmed), K; 0 with the Sun
//                     below the receiver's horizon
Degradation PathDegradation(double range_a_km, double range_b_km, double attenuation_a_db,
                            double attenuation_b_db, double sky_b_k, double receiver_noise_k,
                            double moon_in_beam_k, double sun_at_receiver_k = 0.0);

// The same with the sky from the receiver's attenuation by SkyTemperatureK
// (an isothermal atmosphere at 275 K), and no Sun.
Degradation PathDegradation(double range_a_km, double range_b_km, double attenuation_a_db,
                            double attenuation_b_db, double receiver_noise_k,
                            double moon_in_beam_k);

}  // namespace quillmere
