#include "mapsdk/VIZOfflineParts.h"

#include "engine/base/VMem.h"
#include "engine/root/EngineRoot.h"

using namespace mapengine;

VIZOfflineParts& VIZOfflineParts::shared()
{
    static VIZOfflineParts parts;
    return parts;
}

CSearchMan* VIZOfflineParts::searchMan()
{
    CEngineRoot* root = GetEngineRoot();
    if (!root) return nullptr;
    if (!root->m_pSearchMan) {
        auto* search = VNew<CSearchMan>(1);
        if (!search) return nullptr;
        root->m_pSearchMan = search;
        // Wired before Init, which hands its clients to the update manager.
        WireParts(root);
        search->Init(root->m_pMapControl);
    }
    return root->m_pSearchMan;
}

void VIZOfflineParts::publish()
{
    CEngineRoot* root = GetEngineRoot();
    if (!root) return;
    root->m_pVerDatsetMan = versions.get();
    root->m_pUpdateReqMan = updates.get();
    const bool newRecords = root->m_pRecordMan != records.get();
    root->m_pRecordMan = records.get();
    WireParts(root);
    if (newRecords) LinkOfflineParts(root);
}

COLPackageMan* VIZOfflineParts::packageMan()
{
    CEngineRoot* root = GetEngineRoot();
    return root && root->m_pMapControl ? root->m_pPackageMan : nullptr;
}

void VIZOfflineParts::reset()
{
    if (CEngineRoot* root = GetEngineRoot()) {
        if (root->m_pUpdateReqMan == updates.get()) root->m_pUpdateReqMan = nullptr;
        if (root->m_pVerDatsetMan == versions.get()) root->m_pVerDatsetMan = nullptr;
        if (root->m_pRecordMan == records.get()) root->m_pRecordMan = nullptr;
        WireParts(root);
        if (root->m_pPackageMan) {
            // An import reaches the store until it ends.
            root->m_pPackageMan->JoinImport();
            root->m_pPackageMan->SetRecordMan(nullptr);
        }
    }
    updates.reset();
    records.reset();
    versions.reset();
}
