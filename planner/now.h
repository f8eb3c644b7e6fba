#pragma once
// The "Now" strip: what an operator at the dish asks all the time, for one
// second. Where to point (the Moon at each station, and the Sun), what to
// dial (the Doppler of the chosen mode at the sked frequency), how good
// the path is right now (the degradation with its terms) and when to
// operate (the window open now, or the next). The planner window's strip,
// its compact window and quillmere-report --now all read it from here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "moon_track.h"

namespace quillmere {

// How the two stations share out the Doppler shift, as operators agree it
// for a sked (the modes of WSJT-X's astronomy window).
enum class DopplerMode {
  kNone,            // dial the sky frequency
  kOwnEcho,         // RX on one's own echo: RX = f + D_self, TX = f
  kConstantOnMoon,  // the signal stands still on the Moon: RX = f + D_self/2, TX = f - D_self/2
  kFullDx,          // one station corrects for both: RX = f + D_hd, TX = f - D_hd
  kOnDxEcho,        // the DX sends on f and hears its own echo: RX = f + D_hd,
                    // TX = f + D_dx - D_hd
};
// Its short name on the command line and in settings files: "none",
// "own-echo", "cfom", "full-dx", "on-dx-echo".
const char* DopplerModeName(DopplerMode mode);
std::optional<DopplerMode> DopplerModeFromName(std::string_view name);
// And for people: "None", "Own echo", "Constant frequency on the Moon",
// "Full Doppler to the DX", "On the DX's echo".
const char* DopplerModeLabel(DopplerMode mode);
inline constexpr DopplerMode kDopplerModes[] = {DopplerMode::kNone, DopplerMode::kOwnEcho,
                                                DopplerMode::kConstantOnMoon, DopplerMode::kFullDx,
                                                DopplerMode::kOnDxEcho};

// The Doppler shifts at one frequency, Hz, positive while the path
// shortens: Home's own echo, Home to DX (one way each), the DX's own echo.
struct DopplerShifts {
  double self_home_hz = 0.0;
  double home_dx_hz = 0.0;
  double self_dx_hz = 0.0;
};
// The shifts of a track row's sightings at `f_hz`.
DopplerShifts DopplerAt(const TrackRow& row, double f_hz);

// What Home dials: the receive and transmit frequencies for the sky (sked)
// frequency and the corrections against it.
struct DialFrequencies {
  double rx_hz = 0.0, tx_hz = 0.0;
  double rx_correction_hz = 0.0, tx_correction_hz = 0.0;
};
DialFrequencies DopplerDial(DopplerMode mode, double sky_hz, const DopplerShifts& shifts);

// The state of the mutual windows at a moment, in words:
//   "Window open until 14:42 — best 13:16 (16.7 dB)"
//   "Next window 18:04–20:42, in 3 h 12 min"
//   "No window in the next 14 days"
// `windows` cover [from, until] of a planned span; times as HH:MM in UTC
// shifted by `offset_s` (0 for UTC, the local offset for local time).
std::string WindowStateText(const std::vector<MutualWindow>& windows, double now_utc_s,
                            double span_end_utc_s, int offset_s = 0);

// Everything the strip shows for one second.
struct NowState {
  TrackRow row;  // the Moon, the Sun, delays, spreads and degradations now
  double sky_hz = 0.0;
  DopplerMode mode = DopplerMode::kNone;
  DopplerShifts doppler;  // at the sky frequency
  DialFrequencies dial;
  std::string window_text;
};

// The state at `utc_s` for the track request's stations and air, with the
// windows of a span planned ahead (PlanTrack's, covering utc_s); the
// window's times shifted by `offset_s` from UTC (the strip and --now keep
// UTC, as the table and a sked do).
NowState ComputeNow(MoonTracker& tracker, const TrackRequest& request, double utc_s, double sky_hz,
                    DopplerMode mode, const std::vector<MutualWindow>& windows,
                    double span_end_utc_s, int offset_s = 0);

// The strip's lines, as it shows them (UTF-8):
//   time     "13:16:05 UTC   14:16:05 local"
//   home, dx "Moon az 200.8° el 13.3°  Sun az 201.6° el 5.5°  Sun–Moon 7.9°"
//            (" (below horizon)" or " (below minimum)" after the
//            Moon's elevation where the station cannot use it)
//   dial     "RX 10368.101234 MHz (+1234 Hz)   TX 10368.098766 MHz (−1234 Hz)"
//   path     "Echo 2.512 s   libration 12.3 Hz   degradation 16.72 dB: distance
//            0.81, air 0.30 + 0.52, sky 0.41, Moon 0.10, Sun 0.02" (the
//            Home->DX path; "Moon not up at both stations" without one)
//   window   WindowStateText
struct NowLines {
  std::string time, home, dx, dial, path, window;
  bool sun_marked = false;  // the Sun costs more than kSunMarkDb now
};
NowLines LinesOf(const NowState& now, int offset_s);

// The state as one JSON object (quillmere-report --now), `offset_s` the
// local time's offset from UTC.
std::string NowJson(const NowState& now, const Stations& stations, int offset_s);

}  // namespace quillmere
