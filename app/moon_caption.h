#pragma once
// The moon data line of the window: the answers of one sun/moon query as the
// caption of its panel.

#include <string>

#include "format_fixed.h"
#include "real.h"

namespace quillmere {

// The answers of one sun/moon query that the moon data line shows.
struct MoonData {
  Real path_loss_db;    // the component's path loss, dB
  Real diameter_deg;    // apparent diameter, degrees
  Real phase_reported;  // the phase as read for the line
  Real phase;           // the phase kept in the state (0..1)
};

// "Current ... Path Loss 252.00 dB  Moon Diam .. 0.52°   Moon Phase .. 0.250 °  90°  25.0%"
std::string MoonDataCaption(const MoonData& data, const NumberFormat& fmt);

}  // namespace quillmere
