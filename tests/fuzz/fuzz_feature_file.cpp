// Feature files as the feature browser loads them: the file's text parsed and applied,
// line by line, through the camera library's feature calls on an open simulated camera.
// The first input byte picks the camera (its low two bits) and, with bit 0x40, puts the
// camera's own model line in front of the rest, so that mutated feature lines get past
// the model check instead of all ending as "another model"; the rest is the file.
#include <QString>
#include <QVector>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>

#include "FeatureBrowserLogic.h"
#include "FuzzSupport.h"
#include "VexoCameraApi.h"

using features::Feature;
using features::Type;

namespace {

// Two GigE and two USB cameras of the built-in set: colour and mono, with and without a
// focus motor and lines.
constexpr std::array<const char*, 4> kCameras = {"VXG2301C0001", "VXG5002M0001", "VXU1301C0001",
                                                 "VXU0302C0001"};

struct Camera {
    int handle = 0;
    std::unique_ptr<features::SdkFeatureSource> source;
    QVector<Feature> factory;  // the features with their values as the camera opened
    QString model;
};

// Every feature with the value the camera holds now.
QVector<Feature> currentFeatures(features::Source& source)
{
    QVector<Feature> list;
    FUZZ_REQUIRE(source.list(list) == VEXO_SDK_OK);
    for (Feature& f : list) {
        if (f.type == Type::Command)
            continue;
        const features::Reading r = source.read(f.name);
        if (r.code == VEXO_SDK_OK) {
            f.value = r.value;
            f.access = r.access;
        }
    }
    return list;
}

bool sameValues(const QVector<Feature>& a, const QVector<Feature>& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].value != b[i].value)
            return false;
    return true;
}

// What the camera holds is always a value its description allows.
void requireValidValues(const QVector<Feature>& list)
{
    for (const Feature& f : list) {
        if (f.access == features::Access::NotAvailable)
            continue;
        switch (f.type) {
        case Type::Integer: {
            bool ok = false;
            const qlonglong v = f.value.toLongLong(&ok);
            FUZZ_REQUIRE(ok);
            FUZZ_REQUIRE(double(v) >= f.minimum && double(v) <= f.maximum);
            break;
        }
        case Type::Float: {
            bool ok = false;
            const double v = f.value.toDouble(&ok);
            FUZZ_REQUIRE(ok && std::isfinite(v));
            // Ranges cross the interface as doubles; allow for their last digit.
            const double slack = 1e-9 * std::max(1.0, std::fabs(f.maximum));
            FUZZ_REQUIRE(v >= f.minimum - slack && v <= f.maximum + slack);
            break;
        }
        case Type::Enumeration:
            FUZZ_REQUIRE(f.entries.contains(f.value));
            break;
        case Type::Boolean:
            FUZZ_REQUIRE(f.value == QLatin1String("true") || f.value == QLatin1String("false"));
            break;
        default:
            break;
        }
    }
}

std::array<Camera, kCameras.size()>& cameras()
{
    static std::array<Camera, kCameras.size()> opened = [] {
        std::array<Camera, kCameras.size()> list;
        for (size_t i = 0; i < kCameras.size(); ++i) {
            Camera& c = list[i];
            FUZZ_REQUIRE(SdkOpenCamera(&c.handle, kCameras[i]) == VEXO_SDK_OK);
            c.source = std::make_unique<features::SdkFeatureSource>(c.handle);
            c.model = c.source->model();
            FUZZ_REQUIRE(!c.model.isEmpty());
            c.factory = currentFeatures(*c.source);
            requireValidValues(c.factory);
        }
        return list;
    }();
    return opened;
}

}  // namespace

// Files as the browser saves them for every camera, one with changed values, one of
// another model, and one with comments, blank lines and Windows line ends.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!fuzzsupport::seedsRequested())
        return 0;
    for (size_t i = 0; i < kCameras.size(); ++i) {
        const Camera& c = cameras()[i];
        const QString text = features::featureFileText(c.model, c.factory);
        fuzzsupport::writeSeed("saved-" + c.model.toStdString() + ".txt",
                               std::string(1, char(i)) + text.toStdString());
    }
    const Camera& focus = cameras()[2];
    fuzzsupport::writeSeed("changed.txt", std::string(1, char(0x42)) +
                                              "Width=640\nOffsetX=64\nExposureTime=12345.5\n"
                                              "Gamma=1.2\nReverseX=true\nFocusPosition=99999\n");
    fuzzsupport::writeSeed("other-model.txt", std::string(1, char(3)) +
                                                  features::featureFileText(
                                                      focus.model, focus.factory)
                                                      .toStdString());
    fuzzsupport::writeSeed("comments-crlf.txt",
                           std::string(1, char(0x41)) +
                               "# written by hand\r\n\r\n  Gain = 2.5\r\n#model=ignored\r\n"
                               "no pair here\r\n=value\r\nBlackLevel=\r\n");
    fuzzsupport::seedsWritten();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    Camera& camera = cameras()[data[0] % kCameras.size()];
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), int(size - 1));
    if (data[0] & 0x40)
        text.prepend(QStringLiteral("#model=%1\n").arg(camera.model));
    const QVector<Feature> before = currentFeatures(*camera.source);
    const features::ParsedFile file = features::parseFeatureFile(text);
    const features::LoadReport report = features::applyFeatureFile(*camera.source, file);

    FUZZ_REQUIRE(report.malformed == file.malformed);
    FUZZ_REQUIRE(report.refused.size() <= file.lines.size());
    for (const features::Refusal& r : report.refused)
        FUZZ_REQUIRE(r.code != VEXO_SDK_OK && !r.reason.isEmpty());
    const QVector<Feature> after = currentFeatures(*camera.source);
    if (report.wrongModel) {
        // A file of another model (or of none) touches nothing.
        FUZZ_REQUIRE(report.applied == 0 && report.refused.isEmpty());
        FUZZ_REQUIRE(sameValues(after, before));
        return 0;
    }
    requireValidValues(after);
    if (report.applied == 0)
        FUZZ_REQUIRE(sameValues(after, before));

    // The camera still takes pictures with what it holds.
    uint32_t token = 0;
    FUZZ_REQUIRE(SdkGrabFrameWithTimeout(camera.handle, &token, 30000) == VEXO_SDK_OK);
    VexoImageInfo info{};
    FUZZ_REQUIRE(SdkGetRawImage(camera.handle, token, &info) != nullptr);
    FUZZ_REQUIRE(info.width > 0 && info.height > 0);
    FUZZ_REQUIRE(SdkReleaseFrame(camera.handle, token) == VEXO_SDK_OK);

    // The file the browser saves from the camera's first values brings them all back, so
    // every input starts from the same camera.
    const features::LoadReport restore = features::applyFeatureFile(
        *camera.source,
        features::parseFeatureFile(features::featureFileText(camera.model, camera.factory)));
    FUZZ_REQUIRE(!restore.wrongModel && restore.refused.isEmpty());
    FUZZ_REQUIRE(sameValues(currentFeatures(*camera.source), camera.factory));
    return 0;
}
