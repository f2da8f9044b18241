// The in-memory side of LittleWin: a registry held in this process, file lookup on
// the real file system, the running program's path and a message box that prints.

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "win32api/LittleWin.h"
#include "win32api/MemRegistry.h"

namespace glint::win32 {
namespace {

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Fold(x) == Fold(y); });
}

struct TKeyNode {
  std::string Name;
  TKeyNode* Parent = nullptr;  // the parent owns this node through SubKeys
  int Root = 0;
  bool Deleted = false;
  std::vector<std::shared_ptr<TKeyNode>> SubKeys;  // creation order
  std::vector<TMemValue> Values;                   // first-write order

  TKeyNode* Find(std::string_view name) const {
    for (const auto& k : SubKeys)
      if (SameName(k->Name, name)) return k.get();
    return nullptr;
  }
  std::shared_ptr<TKeyNode> Share(const TKeyNode* node) const {
    for (const auto& k : SubKeys)
      if (k.get() == node) return k;
    return nullptr;
  }
  TMemValue* FindValue(std::string_view name) {
    for (auto& v : Values)
      if (SameName(v.Name, name)) return &v;
    return nullptr;
  }
  // Component names from the root down.
  std::vector<std::string> Path() const {
    std::vector<std::string> path;
    for (const TKeyNode* n = this; n->Parent; n = n->Parent) path.push_back(n->Name);
    std::reverse(path.begin(), path.end());
    return path;
  }
};

struct THandleEntry {
  std::shared_ptr<TKeyNode> Node;
  REGSAM Access = 0;
};

struct TFault {
  int Root;
  std::vector<std::string> Path;
};

constexpr std::array<std::uint32_t, 4> kRootValues = {0x80000000u, 0x80000001u, 0x80000002u,
                                                      0x80000003u};

struct TState {
  std::recursive_mutex Lock;
  std::array<std::shared_ptr<TKeyNode>, 4> Roots;
  std::map<std::uintptr_t, THandleEntry> Keys;
  std::map<std::uintptr_t, int> Finds;
  std::uintptr_t NextHandle = 0x1000;
  std::vector<TFault> DeniedKeys;
  std::vector<TFault> DeniedWrites;

  TState() { ClearTree(); }
  void ClearTree() {
    for (auto& [id, entry] : Keys) entry.Node->Deleted = true;
    Keys.clear();
    for (int i = 0; i < 4; ++i) {
      Roots[i] = std::make_shared<TKeyNode>();
      Roots[i]->Root = i;
    }
  }
  std::uintptr_t NewHandle() {
    NextHandle += 4;
    return NextHandle;
  }
};

TState& State() {
  static TState state;
  return state;
}

thread_local DWORD gLastError = 0;

int RootIndex(HKEY key) {
  for (int i = 0; i < 4; ++i)
    if (key == detail::PredefinedKey(kRootValues[i])) return i;
  return -1;
}

// Resolves a handle to its key; predefined roots need no opening.
LONG Resolve(HKEY key, REGSAM need, TKeyNode** node) {
  TState& s = State();
  if (int root = RootIndex(key); root >= 0) {
    *node = s.Roots[root].get();
    return ERROR_SUCCESS;
  }
  auto it = s.Keys.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == s.Keys.end()) return ERROR_INVALID_HANDLE;
  if (it->second.Node->Deleted) return ERROR_KEY_DELETED;
  if ((it->second.Access & need) != need) return ERROR_ACCESS_DENIED;
  *node = it->second.Node.get();
  return ERROR_SUCCESS;
}

// Splits a relative key path; Windows refuses a leading backslash.
LONG SplitPath(const char* subKey, std::vector<std::string>* parts) {
  parts->clear();
  if (!subKey) return ERROR_SUCCESS;
  std::string_view path(subKey);
  if (!path.empty() && path.front() == '\\') return ERROR_BAD_PATHNAME;
  while (!path.empty()) {
    std::size_t cut = path.find('\\');
    std::string_view part = path.substr(0, cut);
    if (!part.empty()) parts->emplace_back(part);
    path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
  }
  return ERROR_SUCCESS;
}

std::vector<std::string> SplitHookPath(std::string_view path) {
  std::vector<std::string> parts;
  std::string copy(path);
  while (!copy.empty() && copy.front() == '\\') copy.erase(0, 1);
  SplitPath(copy.c_str(), &parts);
  return parts;
}

bool Covers(const std::vector<TFault>& faults, int root, const std::vector<std::string>& path,
            bool exact) {
  for (const TFault& f : faults) {
    if (f.Root != root || f.Path.size() > path.size()) continue;
    if (exact && f.Path.size() != path.size()) continue;
    if (std::equal(f.Path.begin(), f.Path.end(), path.begin(), SameName)) return true;
  }
  return false;
}

std::vector<std::string> Joined(const TKeyNode* base, const std::vector<std::string>& parts) {
  std::vector<std::string> path = base->Path();
  path.insert(path.end(), parts.begin(), parts.end());
  return path;
}

HKEY AddHandle(std::shared_ptr<TKeyNode> node, REGSAM access) {
  TState& s = State();
  std::uintptr_t id = s.NewHandle();
  s.Keys[id] = THandleEntry{std::move(node), access};
  return reinterpret_cast<HKEY>(id);
}

std::shared_ptr<TKeyNode> SharedOf(TKeyNode* node) {
  if (!node->Parent) return State().Roots[node->Root];
  return node->Parent->Share(node);
}

void MarkDeleted(TKeyNode* node) {
  node->Deleted = true;
  for (auto& k : node->SubKeys) MarkDeleted(k.get());
}

void Unlink(TKeyNode* node) {
  MarkDeleted(node);
  auto& list = node->Parent->SubKeys;
  list.erase(std::remove_if(list.begin(), list.end(), [&](auto& k) { return k.get() == node; }),
             list.end());
}

LONG FindKey(HKEY key, const char* subKey, TKeyNode** found) {
  TKeyNode* node = nullptr;
  std::vector<std::string> parts;
  if (LONG rc = Resolve(key, 0, &node); rc != ERROR_SUCCESS) return rc;
  if (LONG rc = SplitPath(subKey, &parts); rc != ERROR_SUCCESS) return rc;
  for (const auto& part : parts) {
    node = node->Find(part);
    if (!node) return ERROR_FILE_NOT_FOUND;
  }
  *found = node;
  return ERROR_SUCCESS;
}

// Loads GLINT_REGISTRY_FILE before main and saves it back on RegFlushKey and at exit, in
// the style it was loaded in. A file that did not load is never written.
class TPersistence {
 public:
  TPersistence() {
    State();  // constructed first, so it outlives this object
    const char* file = std::getenv("GLINT_REGISTRY_FILE");
    if (!file || !*file) return;
    FFile = file;
    std::string error;
    // Nothing a file holds may end the program before main, not even running out of memory.
    try {
      FLoaded = MemRegistryLoadFile(FFile, &error, &FStyle);
    } catch (const std::exception& e) {
      error = FFile + ": " + e.what();
    }
    if (!FLoaded)
      std::fprintf(stderr, "GLINT_REGISTRY_FILE: %s; the file is left unchanged\n", error.c_str());
  }
  ~TPersistence() {
    if (FLoaded) Flush();
  }
  LONG Flush() {
    if (FFile.empty()) return ERROR_SUCCESS;
    if (!FLoaded) return ERROR_BADDB;
    std::string error;
    if (MemRegistrySaveFile(FFile, &error, FStyle)) return ERROR_SUCCESS;
    std::fprintf(stderr, "GLINT_REGISTRY_FILE: %s\n", error.c_str());
    return ERROR_REGISTRY_IO_FAILED;
  }

 private:
  std::string FFile;
  TRegFileStyle FStyle;
  bool FLoaded = false;
};

TPersistence gPersistence;

}  // namespace

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* cls, DWORD options,
                     REGSAM access, void* security, HKEY* result, DWORD* disposition) {
  std::lock_guard lock(State().Lock);
  if (!result) return ERROR_INVALID_PARAMETER;
  TKeyNode* node = nullptr;
  std::vector<std::string> parts;
  if (LONG rc = Resolve(key, 0, &node); rc != ERROR_SUCCESS) return rc;
  if (LONG rc = SplitPath(subKey, &parts); rc != ERROR_SUCCESS) return rc;
  if (Covers(State().DeniedKeys, node->Root, Joined(node, parts), false))
    return ERROR_ACCESS_DENIED;
  DWORD how = REG_OPENED_EXISTING_KEY;
  for (const auto& part : parts) {
    TKeyNode* next = node->Find(part);
    if (!next) {
      auto child = std::make_shared<TKeyNode>();
      child->Name = part;
      child->Parent = node;
      child->Root = node->Root;
      node->SubKeys.push_back(child);
      next = child.get();
      how = REG_CREATED_NEW_KEY;
    }
    node = next;
  }
  *result = AddHandle(SharedOf(node), access);
  if (disposition) *disposition = how;
  return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result) {
  std::lock_guard lock(State().Lock);
  if (!result) return ERROR_INVALID_PARAMETER;
  TKeyNode* node = nullptr;
  if (LONG rc = FindKey(key, subKey, &node); rc != ERROR_SUCCESS) return rc;
  if (Covers(State().DeniedKeys, node->Root, node->Path(), false)) return ERROR_ACCESS_DENIED;
  *result = AddHandle(SharedOf(node), access);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  std::lock_guard lock(State().Lock);
  if (RootIndex(key) >= 0) return ERROR_SUCCESS;
  return State().Keys.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS
                                                                   : ERROR_INVALID_HANDLE;
}

LONG RegDeleteKeyA(HKEY key, const char* subKey) {
  std::lock_guard lock(State().Lock);
  TKeyNode* node = nullptr;
  if (LONG rc = FindKey(key, subKey, &node); rc != ERROR_SUCCESS) return rc;
  if (!node->Parent || !node->SubKeys.empty()) return ERROR_ACCESS_DENIED;
  if (Covers(State().DeniedKeys, node->Root, node->Path(), false)) return ERROR_ACCESS_DENIED;
  Unlink(node);
  return ERROR_SUCCESS;
}

LONG RegDeleteTreeA(HKEY key, const char* subKey) {
  std::lock_guard lock(State().Lock);
  TKeyNode* node = nullptr;
  if (LONG rc = FindKey(key, subKey, &node); rc != ERROR_SUCCESS) return rc;
  if (Covers(State().DeniedKeys, node->Root, node->Path(), false)) return ERROR_ACCESS_DENIED;
  if (!subKey || !*subKey || !node->Parent) {
    // The key itself stays; only its contents go.
    for (auto& k : node->SubKeys) MarkDeleted(k.get());
    node->SubKeys.clear();
    node->Values.clear();
  } else {
    Unlink(node);
  }
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size) {
  std::lock_guard lock(State().Lock);
  TKeyNode* node = nullptr;
  if (LONG rc = Resolve(key, KEY_SET_VALUE, &node); rc != ERROR_SUCCESS) return rc;
  if (!data && size) return ERROR_INVALID_PARAMETER;
  if (Covers(State().DeniedWrites, node->Root, node->Path(), true)) return ERROR_ACCESS_DENIED;
  std::string valueName = name ? name : "";
  std::vector<BYTE> bytes(data, data + size);
  if (TMemValue* v = node->FindValue(valueName)) {
    v->Type = type;
    v->Data = std::move(bytes);
  } else {
    node->Values.push_back(TMemValue{valueName, type, std::move(bytes)});
  }
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size) {
  std::lock_guard lock(State().Lock);
  TKeyNode* node = nullptr;
  if (LONG rc = Resolve(key, KEY_QUERY_VALUE, &node); rc != ERROR_SUCCESS) return rc;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  const TMemValue* v = node->FindValue(name ? name : "");
  if (!v) return ERROR_FILE_NOT_FOUND;
  if (type) *type = v->Type;
  auto needed = static_cast<DWORD>(v->Data.size());
  if (data && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data) std::copy(v->Data.begin(), v->Data.end(), data);
  if (size) *size = needed;
  return ERROR_SUCCESS;
}

LONG RegDeleteValueA(HKEY key, const char* name) {
  std::lock_guard lock(State().Lock);
  TKeyNode* node = nullptr;
  if (LONG rc = Resolve(key, KEY_SET_VALUE, &node); rc != ERROR_SUCCESS) return rc;
  if (Covers(State().DeniedWrites, node->Root, node->Path(), true)) return ERROR_ACCESS_DENIED;
  TMemValue* v = node->FindValue(name ? name : "");
  if (!v) return ERROR_FILE_NOT_FOUND;
  node->Values.erase(node->Values.begin() + (v - node->Values.data()));
  return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, DWORD* type,
                   BYTE* data, DWORD* dataSize) {
  std::lock_guard lock(State().Lock);
  TKeyNode* node = nullptr;
  if (LONG rc = Resolve(key, KEY_QUERY_VALUE, &node); rc != ERROR_SUCCESS) return rc;
  if (!name || !nameSize || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  if (index >= node->Values.size()) return ERROR_NO_MORE_ITEMS;
  const TMemValue& v = node->Values[index];
  auto needed = static_cast<DWORD>(v.Data.size());
  if (*nameSize <= v.Name.size() || (data && *dataSize < needed)) {
    if (dataSize) *dataSize = needed;
    return ERROR_MORE_DATA;
  }
  std::memcpy(name, v.Name.c_str(), v.Name.size() + 1);
  *nameSize = static_cast<DWORD>(v.Name.size());
  if (type) *type = v.Type;
  if (data) std::copy(v.Data.begin(), v.Data.end(), data);
  if (dataSize) *dataSize = needed;
  return ERROR_SUCCESS;
}

LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, char* cls,
                   DWORD* clsSize, FILETIME* lastWrite) {
  std::lock_guard lock(State().Lock);
  TKeyNode* node = nullptr;
  if (LONG rc = Resolve(key, KEY_ENUMERATE_SUB_KEYS, &node); rc != ERROR_SUCCESS) return rc;
  if (!name || !nameSize) return ERROR_INVALID_PARAMETER;
  if (index >= node->SubKeys.size()) return ERROR_NO_MORE_ITEMS;
  const std::string& sub = node->SubKeys[index]->Name;
  if (*nameSize <= sub.size()) return ERROR_MORE_DATA;
  std::memcpy(name, sub.c_str(), sub.size() + 1);
  *nameSize = static_cast<DWORD>(sub.size());
  if (cls && clsSize && *clsSize) *cls = '\0';
  if (clsSize) *clsSize = 0;
  if (lastWrite) *lastWrite = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG RegFlushKey(HKEY key) {
  std::lock_guard lock(State().Lock);
  TKeyNode* node = nullptr;
  if (LONG rc = Resolve(key, 0, &node); rc != ERROR_SUCCESS) return rc;
  return gPersistence.Flush();
}

HANDLE FindFirstFileA(const char* fileName, WIN32_FIND_DATAA* findData) {
  namespace fs = std::filesystem;
  auto fail = [](DWORD error) {
    gLastError = error;
    return INVALID_HANDLE_VALUE;
  };
  if (!fileName || !*fileName || !findData) return fail(ERROR_PATH_NOT_FOUND);
  std::string_view path(fileName);
  std::size_t cut = path.find_last_of('/');
  std::string dir = cut == std::string_view::npos ? "." : std::string(path.substr(0, cut + 1));
  std::string leaf(cut == std::string_view::npos ? path : path.substr(cut + 1));
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return fail(ERROR_PATH_NOT_FOUND);
  if (leaf.empty()) return fail(ERROR_FILE_NOT_FOUND);
  // Windows names are case-insensitive: try the exact name, then any spelling of it.
  std::string match;
  if (fs::exists(fs::path(dir) / leaf, ec)) {
    match = leaf;
  } else {
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
      std::string name = entry.path().filename().string();
      if (SameName(name, leaf)) {
        match = name;
        break;
      }
    }
  }
  if (match.empty()) return fail(ERROR_FILE_NOT_FOUND);
  fs::path full = fs::path(dir) / match;
  std::memset(findData, 0, sizeof *findData);
  bool isDir = fs::is_directory(full, ec);
  findData->dwFileAttributes = isDir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!isDir) {
    std::uintmax_t size = fs::file_size(full, ec);
    if (ec) size = 0;
    findData->nFileSizeLow = static_cast<DWORD>(size);
    findData->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  }
  std::strncpy(findData->cFileName, match.c_str(), sizeof findData->cFileName - 1);
  std::lock_guard lock(State().Lock);
  std::uintptr_t id = State().NewHandle();
  State().Finds[id] = 1;
  gLastError = ERROR_SUCCESS;
  return reinterpret_cast<HANDLE>(id);
}

BOOL FindClose(HANDLE find) {
  std::lock_guard lock(State().Lock);
  if (State().Finds.erase(reinterpret_cast<std::uintptr_t>(find))) return 1;
  gLastError = ERROR_INVALID_HANDLE;
  return 0;
}

DWORD GetModuleFileNameA(HMODULE module, char* fileName, DWORD size) {
  if (module) {
    gLastError = ERROR_MOD_NOT_FOUND;
    return 0;
  }
  std::error_code ec;
  std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  if (ec || size == 0 || !fileName) {
    gLastError = ec ? ERROR_MOD_NOT_FOUND : ERROR_INSUFFICIENT_BUFFER;
    return 0;
  }
  if (self.size() >= size) {
    std::memcpy(fileName, self.data(), size - 1);
    fileName[size - 1] = '\0';
    gLastError = ERROR_INSUFFICIENT_BUFFER;
    return size;
  }
  std::memcpy(fileName, self.c_str(), self.size() + 1);
  gLastError = ERROR_SUCCESS;
  return static_cast<DWORD>(self.size());
}

DWORD GetLastError() { return gLastError; }

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  std::printf("%s\n%s\n", caption ? caption : "Error", text ? text : "");
  std::fflush(stdout);
  return IDOK;
}

std::string TMemValue::Text() const {
  std::string text(Data.begin(), Data.end());
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

void MemRegistryReset() {
  std::lock_guard lock(State().Lock);
  State().ClearTree();
  State().DeniedKeys.clear();
  State().DeniedWrites.clear();
}

namespace {
const TKeyNode* HookFind(HKEY root, std::string_view path) {
  int index = RootIndex(root);
  if (index < 0) return nullptr;
  const TKeyNode* node = State().Roots[index].get();
  for (const auto& part : SplitHookPath(path)) {
    node = node->Find(part);
    if (!node) return nullptr;
  }
  return node;
}
}  // namespace

bool MemRegistryKeyExists(HKEY root, std::string_view path) {
  std::lock_guard lock(State().Lock);
  return HookFind(root, path) != nullptr;
}

std::vector<std::string> MemRegistrySubKeys(HKEY root, std::string_view path) {
  std::lock_guard lock(State().Lock);
  std::vector<std::string> names;
  if (const TKeyNode* node = HookFind(root, path))
    for (const auto& k : node->SubKeys) names.push_back(k->Name);
  return names;
}

std::vector<TMemValue> MemRegistryValues(HKEY root, std::string_view path) {
  std::lock_guard lock(State().Lock);
  const TKeyNode* node = HookFind(root, path);
  return node ? node->Values : std::vector<TMemValue>{};
}

std::optional<TMemValue> MemRegistryValue(HKEY root, std::string_view path, std::string_view name) {
  for (auto& v : MemRegistryValues(root, path))
    if (SameName(v.Name, name)) return v;
  return std::nullopt;
}

std::size_t MemRegistryOpenHandles() {
  std::lock_guard lock(State().Lock);
  return State().Keys.size();
}

void MemRegistryDenyKey(HKEY root, std::string_view path) {
  std::lock_guard lock(State().Lock);
  State().DeniedKeys.push_back(TFault{RootIndex(root), SplitHookPath(path)});
}

void MemRegistryDenyWrites(HKEY root, std::string_view path) {
  std::lock_guard lock(State().Lock);
  State().DeniedWrites.push_back(TFault{RootIndex(root), SplitHookPath(path)});
}

}  // namespace glint::win32
