#include "host/InstanceSettings.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int16_t kInterfaceWithSettings = 5;

double Fraction(double v, double current) { return std::isnan(v) ? current : std::clamp(v, 0.0, 1.0); }

int16_t Slider(double v, int16_t current, int lo, int hi) {
  if (std::isnan(v)) return current;
  return static_cast<int16_t>(std::lround(std::clamp(v, double(lo), double(hi))));
}

}  // namespace

void ApplyEffectSettings(const HYPluginEffectSettings& s, pluginDataPtr config) {
  relRect& r = config->startRel;
  r.left = Fraction(s.left, r.left);
  r.right = Fraction(s.right, r.right);
  r.top = Fraction(s.top, r.top);
  r.bottom = Fraction(s.bottom, r.bottom);
  // The frame editor never lets an edge pass its opposite; a host may, so put them in order.
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  config->sliders[0] = Slider(s.widthChange, config->sliders[0], -100, 200);
  config->sliders[1] = Slider(s.heightChange, config->sliders[1], -100, 200);
  config->sliders[2] = Slider(s.rotation, config->sliders[2], -100, 100);
  config->colors[0] = s.background;
}

bool OverlayInstanceSettings(const PluginParams* params, pluginDataPtr config) {
  if (params->interfaceVersion < kInterfaceWithSettings || params->procs == nullptr || config == nullptr ||
      params->procs->GetEffectSettings == nullptr)
    return false;
  HYPluginEffectSettings settings{};
  if (params->procs->GetEffectSettings(params->instance, &settings) != kPluginOK) return false;
  ApplyEffectSettings(settings, config);
  return true;
}
