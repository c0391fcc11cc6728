// Camera list files (VEXOCAM_CAMERAS, JSON) as the library reads them at start. The input
// is the file. Every camera a list is accepted with must be one the library can run:
// its presets obey the region rule, its factory settings obey its own limits and survive
// a parameter file.
#include <set>

#include "CameraModel.h"
#include "CameraRules.h"
#include "FuzzSupport.h"
#include "ParameterFile.h"
#include "VexoCameraApi.h"

using namespace vexo::sdk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<CameraModel> list;
    std::string error;
    if (!parseCameraList(std::string(reinterpret_cast<const char*>(data), size), "fuzz", list, error)) {
        FUZZ_REQUIRE(list.empty() && !error.empty());
        return 0;
    }
    std::set<std::string> identifiers;
    for (const CameraModel& m : list) {
        FUZZ_REQUIRE(isValidIdentifier(m.identifier));
        FUZZ_REQUIRE(identifiers.insert(m.identifier).second);
        FUZZ_REQUIRE(!m.resolutions.empty() && !m.imageFormats.empty());
        for (const ResolutionPreset& p : m.resolutions)
            FUZZ_REQUIRE(checkRegion(m, p) == VEXO_SDK_OK && p.name.size() <= 48);
        CameraModel completedAgain = m;
        FUZZ_REQUIRE(completeCameraModel(completedAgain).empty());

        const CameraSettings factory = factorySettings(m);
        fuzzsupport::requireUsableSettings(m, factory);
        CameraSettings loaded = factory;
        FUZZ_REQUIRE(decodeParameterFile(encodeParameterFile(m, factory), m, loaded) == VEXO_SDK_OK);
        FUZZ_REQUIRE(fuzzsupport::sameSettings(loaded, factory));
    }
    return 0;
}
