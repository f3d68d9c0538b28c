#include "mapsdk/VIZOfflineMap.h"

#include "engine/base/EngineEnv.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"
#include "engine/root/EngineRoot.h"
#include "engine/model/Projection.h"
#include "mapsdk/VIZOfflineParts.h"

using namespace mapengine;

namespace {

constexpr int kPercentFinished = 100;

CEngineEnv* BootedEnv()
{
    CVMainGlobalMan* man = GetGlobalMan();
    return man ? static_cast<CEngineEnv*>(man->GetSlot(kSlotEngineEnv)) : nullptr;
}

// The managers the interface needs, each made only when missing; false when
// one cannot be made.
bool MakeManagers(const CVString& sdkFolder)
{
    VIZOfflineParts& parts = VIZOfflineParts::shared();
    if (!parts.versions) {
        parts.versions = std::make_unique<CVerDatsetMan>();
        parts.versions->LoadFile(sdkFolder);
    }
    if (!parts.records) {
        parts.records = std::make_unique<COLRecordMan>();
        parts.records->SetVersionMan(parts.versions.get());
        parts.records->LoadAll(sdkFolder);
    }
    if (!parts.updates) {
        auto updates = std::make_unique<CUpdateReqMan>();
        updates->SetRecordMan(parts.records.get());
        updates->SetVersionMan(parts.versions.get());
        if (!updates->Init()) return false;
        parts.versions->SetUpdateReqMan(updates.get());
        updates->AddTaskListRequest();
        updates->AddFileRequest(CVString("VerDatset.dat"), 0);
        parts.updates = std::move(updates);
    }
    parts.publish();
    // A root (the SDK's engine) shares its search manager with the searches.
    return !GetEngineRoot() || VIZOfflineParts::searchMan();
}

}  // namespace

std::shared_ptr<VIZOLUpdateElement> VIZOLUpdateElement::initWithRecord(const COLUpdateRecord& record)
{
    auto element = std::make_shared<VIZOLUpdateElement>();
    const COLUpdateElement& local = record.local;
    if (!local.name.IsEmpty()) {
        element->cityName = NSString::stringWithCharacters(reinterpret_cast<const unichar*>(local.name.GetBuffer()),
                                                           static_cast<NSUInteger>(local.name.GetLength()));
    }
    element->cityID = local.cityId;
    element->ratio = local.ratio == kCityRatioFinished ? kPercentFinished : local.ratio;
    element->size = local.size;
    element->status = local.status;
    _VDPoint lonLat;
    MapUnitsToLonLat(&lonLat, _VDPoint{static_cast<double>(local.x), static_cast<double>(local.y)});
    element->pt = CLLocationCoordinate2DMake(lonLat.y, lonLat.x);
    if (local.updateFlag == 1 || record.server.updateFlag == 1) element->serversize = record.server.size;
    return element;
}

std::shared_ptr<VIZOfflineMap> VIZOfflineMap::init()
{
    CEngineEnv* env = BootedEnv();
    if (!env || env->m_sdkDataFolder.IsEmpty() || !MakeManagers(env->m_sdkDataFolder)) return nullptr;
    return std::make_shared<VIZOfflineMap>();
}

VIZOfflineMap::~VIZOfflineMap()
{
    // Only our own delegate: a later offline map may have set its own.
    // A delegate already gone has left the notifier with nothing to clear.
    const auto mine = _delegate.lock();
    if (mine && VIZNotifier::offlineDelegate() == mine) VIZNotifier::setOfflineDelegate(nullptr);
}

std::shared_ptr<VIZOLUpdateElement> VIZOfflineMap::getUpdateInfo(int cityId) const
{
    COLRecordMan* records = VIZOfflineParts::shared().records.get();
    COLUpdateRecord record;
    if (!records || !records->DoCommand(kOLGetUpdateRecord, &cityId, &record)) return nullptr;
    return VIZOLUpdateElement::initWithRecord(record);
}

std::optional<std::vector<std::shared_ptr<VIZOLUpdateElement>>> VIZOfflineMap::getAllUpdateInfo() const
{
    COLRecordMan* records = VIZOfflineParts::shared().records.get();
    CVArray<COLUpdateRecord> list;
    if (!records || !records->DoCommand(kOLGetUpdateList, nullptr, &list) || list.GetSize() == 0) return std::nullopt;
    std::vector<std::shared_ptr<VIZOLUpdateElement>> elements;
    for (int i = 0; i < list.GetSize(); ++i) elements.push_back(VIZOLUpdateElement::initWithRecord(list[i]));
    return elements;
}

bool VIZOfflineMap::remove(int cityId)
{
    COLRecordMan* records = VIZOfflineParts::shared().records.get();
    return records && records->DoCommand(kOLRemoveCity, &cityId, nullptr) != 0;
}

bool VIZOfflineMap::scan()
{
    COLPackageMan* packages = VIZOfflineParts::packageMan();
    CVMainGlobalMan* man = GetGlobalMan();
    auto* msgs = man ? static_cast<CVMsgMan*>(man->GetSlot(kSlotMsgMan)) : nullptr;
    if (!packages || packages->IsImporting() || !msgs) return false;
    return msgs->PostMessage(1, kMsgOfflineCommand, kOLCodeImport, 1) != 0;
}

void VIZOfflineMap::setDelegate(const std::shared_ptr<VIZOfflineMapDelegate>& delegate)
{
    _delegate = delegate;
    VIZNotifier::setOfflineDelegate(delegate);
}
