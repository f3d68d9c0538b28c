// The offline task list, the data-set version reply and the network location
// reply.
#include "engine/data/ParserSupport.h"
#include "engine/model/RouteRecords.h"

namespace mapengine {

namespace {

// A required string member converted to UTF-16; 0 when missing.
int RequiredText(const VJson* object, const char* key, CVString* out) {
  return VJsonResultParser::GetText(object, key, out);
}

// A required member holding a number in text.
int RequiredNumber(const VJson* object, const char* key, int* out) {
  CVString text;
  if (!RequiredText(object, key, &text)) {
    return 0;
  }
  *out = VJsonResultParser::TextToInt(text);
  return 1;
}

// A grid name "x_y" written again from its two numbers, so that nothing but
// the grid shape reaches a file name. 0 for a name of another shape.
int GridName(const CVString& piece, CVString* out, int* x, int* y) {
  if (!ParseGridNameStrict(piece.GetBuffer(), x, y)) {
    return 0;
  }
  out->Format(VStr(u"%d_%d"), *x, *y);
  return 1;
}

// "task": grid names joined by "|"; 0 when a name is not a grid name. A grid
// the offline data cannot hold is left out: it could never be fetched.
int ParseTaskFiles(const CVString& text, CVArray<CVString>* files) {
  int start = 0;
  while (start <= text.GetLength()) {
    int bar = text.Find(static_cast<unsigned short>('|'), start);
    int end = bar < 0 ? text.GetLength() : bar;
    CVString piece = text.Mid(start, end - start);
    if (bar < 0 && piece.IsEmpty()) {
      break;
    }
    CVString name;
    int x = 0;
    int y = 0;
    if (!GridName(piece, &name, &x, &y)) {
      return 0;
    }
    if (IsOfflineGrid(x, y)) {
      files->Add(name);
    }
    if (bar < 0) {
      break;
    }
    start = bar + 1;
  }
  return 1;
}

// 1 for a root object whose "result" is an object with "error" 0 or none.
int SucceededReply(const VJson* root) {
  const VJson* head = Member(root, "result");
  int error = 0;
  VJsonResultParser::GetInt(head, "error", &error);
  return IsObject(head) && error == 0 ? 1 : 0;
}

}  // namespace

int VJsonResultParser::ParseOfflineTaskList(const VJson* root, CVArray<tag_OfflineTask>* tasks) {
  tasks->SetSize(0);
  const VJson* content = Member(root, "content");
  if (!SucceededReply(root) || !IsArray(content)) {
    return 0;
  }
  for (const VJson* item = content->child; item; item = item->next) {
    if (!IsObject(item)) {
      continue;
    }
    tag_OfflineTask task;
    CVString files;
    const VJson* size = Member(item, "size");
    if (!RequiredText(item, "name", &task.name) || !RequiredNumber(item, "cityid", &task.cityId) ||
        !RequiredText(item, "task", &files) || !size) {
      return 0;
    }
    task.size = IsNumber(size) ? size->valueint : IsString(size) ? TextToInt(CVString(size->valuestring)) : 0;
    if (!RequiredNumber(item, "center_x", &task.centreX) || !RequiredNumber(item, "center_y", &task.centreY) ||
        !RequiredNumber(item, "l", &task.level) || !RequiredNumber(item, "ls", &task.startLevel) ||
        !RequiredNumber(item, "le", &task.endLevel) || !RequiredText(item, "cityver", &task.version)) {
      return 0;
    }
    // A task naming anything but grids is dropped: the names become files.
    if (ParseTaskFiles(files, &task.files)) {
      tasks->Add(task);
    }
  }
  return 1;
}

int VJsonResultParser::ParseVersionReply(const VJson* root, CVString* cityVersion, CVString* pictureVersion,
                                         CVString* taskVersion) {
  const VJson* versions = Member(Member(root, "content"), "version");
  const VJson* first = IsArray(versions) ? VJson_GetArrayItem(versions, 0) : nullptr;
  if (!SucceededReply(root) || !first) {
    return 0;
  }
  return RequiredText(first, "pic_version", pictureVersion) && RequiredText(first, "task_version", taskVersion) &&
                 RequiredText(first, "city_version", cityVersion)
             ? 1
             : 0;
}

int VJsonResultParser::ParseLocation(const VJson* root, tagLocReply* reply) {
  const VJson* head = Member(root, "result");
  if (!IsObject(head)) {
    return 0;
  }
  const VJson* error = Member(head, "error");
  if (IsString(error)) {
    reply->type = TextToInt(error->valuestring);
  }
  const VJson* content = Member(root, "content");
  if (!IsObject(content)) {
    return 0;
  }
  const VJson* radius = Member(content, "radius");
  if (IsString(radius)) {
    reply->radius = TextToInt(radius->valuestring);
  }
  const VJson* point = Member(content, "point");
  const VJson* x = Member(point, "x");
  const VJson* y = Member(point, "y");
  if (!IsString(x) || !IsString(y)) {
    return 0;
  }
  reply->x = TextToDouble(x->valuestring);
  reply->y = TextToDouble(y->valuestring);
  return 1;
}

}  // namespace mapengine
