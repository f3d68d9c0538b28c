#include "mapsdk/VIZOfflineParts.h"

VIZOfflineParts& VIZOfflineParts::shared()
{
    static VIZOfflineParts parts;
    return parts;
}

void VIZOfflineParts::setPackageMan(mapengine::COLPackageMan* manager)
{
    packages = manager;
    if (records) records->SetPackageMan(manager);
}

void VIZOfflineParts::reset()
{
    if (records) records->SetPackageMan(nullptr);
    packages = nullptr;
    search.reset();
    updates.reset();
    records.reset();
    versions.reset();
}
