// Closed-loop helpers the camera core runs once per frame: automatic exposure and the
// grey-world white balance.
#include "Imaging.h"

#include <algorithm>
#include <cmath>

namespace vexo::imaging {

void autoExposureStep(const FrameStatistics& stats, int targetBrightness,
                      const AutoExposureLimits& limits, double& exposureUs, int& gainMilli)
{
    double minExposure = std::max(1.0, std::min(limits.minExposureUs, limits.maxExposureUs));
    double maxExposure = std::max(minExposure, std::max(limits.minExposureUs, limits.maxExposureUs));
    if (!std::isfinite(minExposure) || !std::isfinite(maxExposure))
        minExposure = maxExposure = std::isfinite(exposureUs) ? std::max(1.0, exposureUs) : 10000.0;
    const int minGain = std::max(1, std::min(limits.minGainMilli, limits.maxGainMilli));
    const int maxGain = std::max(minGain, std::max(limits.minGainMilli, limits.maxGainMilli));

    double exposure = std::isfinite(exposureUs) ? std::clamp(exposureUs, minExposure, maxExposure)
                                                : minExposure;
    double gain = std::clamp(gainMilli, minGain, maxGain);
    const double target = std::clamp(targetBrightness, 1, 254);
    const double current = std::clamp(std::isfinite(stats.meanLuma) ? stats.meanLuma : 0.0, 0.0, 255.0);

    // Dead band against hunting on noise; outside it move most, not all, of the way: the
    // scene responds at most linearly (less when clipping), so damped steps approach the
    // target from one side and never overshoot into oscillation.
    const double deadBand = std::max(2.0, target * 0.03);
    if (std::abs(current - target) > deadBand) {
        double ratio = target / std::max(current, 0.5);
        ratio = std::clamp(ratio, 1.0 / 16.0, 16.0);
        ratio = std::pow(ratio, 0.8);
        const double wanted = std::clamp(exposure * gain * ratio, minExposure * minGain,
                                         maxExposure * maxGain);
        // Exposure first: reach the brightness with the lowest gain that can do it.
        exposure = std::clamp(wanted / minGain, minExposure, maxExposure);
        gain = std::clamp(wanted / exposure, static_cast<double>(minGain), static_cast<double>(maxGain));
    }
    exposureUs = exposure;
    gainMilli = std::clamp(static_cast<int>(std::lround(gain)), minGain, maxGain);
}

void whiteBalanceGains(const FrameStatistics& stats, double& red, double& green, double& blue)
{
    red = green = blue = 1.0;
    const double r = stats.meanRed, g = stats.meanGreen, b = stats.meanBlue;
    // Too dark (or garbage) to judge the colour of the light: stay neutral.
    if (!(r > 1.0 && g > 1.0 && b > 1.0) || !std::isfinite(r + g + b))
        return;
    red = std::clamp(g / r, 0.25, 4.0);
    blue = std::clamp(g / b, 0.25, 4.0);
}

}  // namespace vexo::imaging
