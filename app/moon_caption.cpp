#include "moon_caption.h"

namespace quillmere {

std::string MoonDataCaption(const MoonData& data, const NumberFormat& fmt) {
  std::string s = "Current ... Path Loss ";
  AppendFixed(s, data.path_loss_db, 15, 2, fmt);
  s += " dB  Moon Diam .. ";
  AppendFixed(s, data.diameter_deg, 2, 2, fmt);
  s += "\u00b0   Moon Phase .. ";
  AppendFixed(s, data.phase_reported, 15, 3, fmt);
  s += " \u00b0  ";
  AppendFixed(s, data.phase * 360, 6, 0, fmt);
  s += "\u00b0  ";
  AppendFixed(s, data.phase * 100, 6, 1, fmt);
  s += "%";
  return s;
}

}  // namespace quillmere
