#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// As the help text shows it; --method M, --rtol R and --atol A are named in
// the summary, so that the line fits a terminal.
inline constexpr char kRenderUsage[] =
    "--render MODEL.ini --out FILE [--view V] [--steps N] [--size WxH]";

// `tarnivell --render MODEL.ini --out FILE [--view time|phase] [--steps N]
// [--method M] [--rtol R] [--atol A] [--size WxH]`: opens the window on the
// model without showing it (and without a display: Qt's offscreen platform),
// starts it, runs N steps (default 1000) and writes the picture of the time
// plot (default) or the phase plane that the window would show, W × H pixels
// (default 625 × 300), drawn by the graph's own output: PNG (or another
// image format Qt writes, such as BMP or JPEG), SVG or PDF by FILE's
// extension. An error goes to `err` and the result is 1; a fault during the
// run stops it there, the picture of the steps before it is still written.
int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
