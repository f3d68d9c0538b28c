// A map view read from an archive whose frame, visible map rectangle, map
// type and location flag come from the input, then given another frame from
// the input: no frame or rectangle, however large or odd, may overflow the
// engine's integers or grow its window past its limit.
#include <arpa/inet.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "engine/base/VGlobalMan.h"
#include "engine/root/EngineRoot.h"
#include "engine/render/VWnd.h"
#include "fuzz/support/Sandbox.h"
#include "mapsdk/VIZMapManager.h"
#include "mapsdk/VIZMapView.h"
#include "platform/foundation/NSCoder.h"

namespace {

std::shared_ptr<VIZMapManager> manager;

// The next double of the input; 0 once it is used up.
double Next(const uint8_t*& data, size_t& size)
{
    double value = 0;
    const size_t n = size < sizeof value ? size : sizeof value;
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

void ExpectWindowWithinLimit()
{
    auto* wnd = static_cast<mapengine::CVWnd*>(mapengine::GetGlobalMan()->GetSlot(mapengine::kSlotWnd));
    mapengine::_VRect client;
    wnd->GetClientRect(&client);
    if (client.right - client.left > mapengine::kMaxWindowPixels || client.bottom - client.top > mapengine::kMaxWindowPixels) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static fuzz::Sandbox home("map-view-archive");
    setenv("NX_APP_HOME", home.root().c_str(), 1);
    manager = VIZMapManager::init();
    mapengine::CEngineRoot* root = mapengine::GetEngineRoot();
    if (!manager || !root) std::abort();
    // Nothing listens on the discard port of the loopback: tile requests fail at once.
    root->m_hostAddrCache.SetAt("map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(9));
    root->m_hostAddrCache.SetAt("loc.map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(9));
    if (!manager->start("", nullptr)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    double frame[4], mapRect[4];
    for (double& v : frame) v = Next(data, size);
    for (double& v : mapRect) v = Next(data, size);
    const double flags = Next(data, size);
    int type = 0;
    std::memcpy(&type, &flags, sizeof type);
    NSCoder archive;
    archive.encodeBytes(frame, sizeof frame, "UIFrame");
    archive.encodeBytes(mapRect, sizeof mapRect, "MapRect");
    archive.encodeInt(type, "MapType");
    archive.encodeBool(type & 0x100, "MAP_SHOW_LOCATION");
    auto view = VIZMapView::initWithCoder(archive);
    if (!view) std::abort();
    ExpectWindowWithinLimit();
    double next[4];
    for (double& v : next) v = Next(data, size);
    view->setFrame(CGRectMake(next[0], next[1], next[2], next[3]));
    ExpectWindowWithinLimit();
    return 0;
}
