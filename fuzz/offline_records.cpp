// The offline record store's files and the replies that feed it: the input
// stands as every file of the SDK data folder the store and the data-set
// versions read (versions, update records, city lists, "VerDatset.dat", a
// package record waiting for its check), and as the offline service's version
// reply and task list merged into the loaded store, whose next city's
// download then starts. Update records read are written and read back the
// same.
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/base/VCMMap.h"
#include "engine/base/VMem.h"
#include "engine/data/OLPackageMan.h"
#include "engine/data/OLRecordMan.h"
#include "engine/data/VJsonResultParser.h"
#include "engine/data/VerDatsetMan.h"
#include "engine/render/GridDataFile.h"
#include "fuzz/support/Engine.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/Sandbox.h"

namespace {

fuzz::Sandbox* box;

std::u16string Text(const mapengine::COLUpdateFile& file)
{
    mapengine::COLTextWriter writer;
    file.BuildText(writer);
    return writer.text();
}

// The service's replies come as UTF-8 and are parsed in the local code page.
void MergeReplies(mapengine::COLRecordMan& store, const std::string& body)
{
    using namespace mapengine;
    int length = 0;
    char* text = Utf8ToLocal(body.data(), static_cast<int>(body.size()), &length);
    if (!text) return;
    VJson* root = VJson_Parse(text);
    VJsonResultParser parser;
    COLVersionRecord versions;
    if (root && parser.ParseVersionReply(root, &versions.cityVersion, &versions.pictureVersion, &versions.taskVersion))
        store.DoCommand(kOLOnVersionReply, &versions, nullptr);
    CVArray<tag_OfflineTask> tasks;
    if (root && parser.ParseOfflineTaskList(root, &tasks)) {
        CVArray<COLUpdateRecord> list;
        COLRecordMan::ServerListFromTasks(tasks, versions, list);
        store.DoCommand(kOLMergeServerList, &list, nullptr);
    }
    VJson_Delete(root);
    VDelete(text);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    static fuzz::Sandbox sandbox("offline-records");
    box = &sandbox;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace mapengine;
    box->Clear();
    const std::string bytes = fuzz::Text(data, size);
    for (const char* name : {"OfflineVersion.dat", "OfflineUpdate.dat", "OfflineSearch.dat", "OfflineHotcity.dat",
                             "VerDatset.dat", "VurivMap/Mapdata/1.cfg"})
        box->Write(std::string("sdk/") + name, bytes);
    const CVString folder = box->Path("sdk/");

    COLUpdateFile first;
    first.Load(folder);
    first.Save();
    COLUpdateFile again;
    again.Load(folder);
    if (again.m_records.GetSize() != first.m_records.GetSize() || Text(again) != Text(first)) std::abort();

    box->Write("sdk/OfflineUpdate.dat", bytes);
    CVerDatsetMan versions;
    versions.LoadFile(folder);
    versions.OnVersionReply(bytes.data(), static_cast<int>(bytes.size()));
    versions.UpdateLocalVersion(CVString("OfflineSearch.dat"));
    COfflineDataCache grids;
    grids.Init(folder, CVString("10000001"), 0);
    COLPackageMan packages;
    COLRecordMan store;
    store.SetVersionMan(&versions);
    store.LoadAll(folder);
    MergeReplies(store, bytes);
    // The next queued city's download starts (no tile is sent): its grids
    // and levels become grid files and the walk over their tiles.
    packages.SetRecordMan(&store);
    packages.SetDataCache(&grids);
    packages.SetFolders(folder, box->Path("Documents/"));
    store.SetPackageMan(&packages);
    if (packages.OnMessage(kOLCodeStartNext, 0)) {
        for (int n : {0, 5, 21, 5460}) {
            if (packages.LocateTilePosition(n)) packages.BuildTileBatch();
        }
    }
    int count = static_cast<int>(size);
    store.DoCommand(kOLReplaceSearchFile, const_cast<char*>(bytes.data()), &count);
    CVArray<COLSearchRecord> cities;
    store.DoCommand(kOLGetHotCities, nullptr, &cities);
    CVString name = cities.GetSize() ? cities[0].name : CVString("a");
    store.DoCommand(kOLFindCities, &name, &cities);
    CVArray<COLUpdateRecord> records;
    store.DoCommand(kOLGetUpdateList, nullptr, &records);
    for (int i = 0; i < records.GetSize(); ++i) {
        int id = records[i].local.cityId;
        store.DoCommand(kOLStartCity, &id, nullptr);
    }
    COLUpdateRecord next;
    store.DoCommand(kOLNextCity, &next, nullptr);
    if (records.GetSize()) {
        int id = records[0].local.cityId;
        store.DoCommand(kOLRemoveCity, &id, nullptr);
    }
    return 0;
}
