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

// The degradation of one EME path, dB, term by term.
struct Degradation {
  double distance_db = 0.0;        // DistanceTermDb
  double attenuation_tx_db = 0.0;  // slant attenuation at the sender's Moon elevation
  double attenuation_rx_db = 0.0;  // slant attenuation at the receiver's Moon elevation
  double sky_noise_db = 0.0;       // 10 log10((Trx + Tsky) / (Trx + 2.7))
  double moon_noise_db = 0.0;      // 10 log10((Trx + Tsky + Tmoon) / (Trx + Tsky))
  double total_db = 0.0;           // the sum of the five
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
Degradation PathDegradation(double range_a_km, double range_b_km, double attenuation_a_db,
                            double attenuation_b_db, double sky_b_k, double receiver_noise_k,
                            double moon_in_beam_k);

// The same with the sky from the receiver's attenuation by SkyTemperatureK
// (an isothermal atmosphere at 275 K).
Degradation PathDegradation(double range_a_km, double range_b_km, double attenuation_a_db,
                            double attenuation_b_db, double receiver_noise_k,
                            double moon_in_beam_k);

}  // namespace quillmere
