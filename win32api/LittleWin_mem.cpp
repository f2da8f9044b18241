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
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <vector>

#include "rtl/Ascii.h"
#include "win32api/LittleWin.h"
#include "win32api/MemRegistry.h"
#include "win32api/RegFileText.h"

namespace glint::win32 {
namespace {

// Hash and equality of names with ASCII letters folded, so lookups ignore case as the
// registry does; transparent, so a string_view finds an entry without a copy.
struct TFoldHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const {
    std::size_t h = 14695981039346656037ull;  // FNV-1a
    for (char c : s) h = (h ^ static_cast<unsigned char>(AsciiUpper(c))) * 1099511628211ull;
    return h;
  }
};
struct TFoldEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return SameTextAscii(a, b); }
};

struct TKeyNode;
std::string_view NameOf(const TMemValue& value) { return value.Name; }
std::string_view NameOf(const std::shared_ptr<TKeyNode>& key);

// Subkeys or values: kept in the order they came (enumeration and the saved file follow
// it) and found by name. A few are searched; many get an index, so that a key with
// thousands of subkeys still loads in linear time.
template <class T>
class TNamedList {
 public:
  const std::vector<T>& Items() const { return FItems; }
  const T* Find(std::string_view name) const {
    if (FIndex.empty()) {
      for (const T& item : FItems)
        if (SameTextAscii(NameOf(item), name)) return &item;
      return nullptr;
    }
    auto it = FIndex.find(name);
    return it == FIndex.end() ? nullptr : &FItems[it->second];
  }
  T* Find(std::string_view name) { return const_cast<T*>(std::as_const(*this).Find(name)); }
  T& Add(T item) {
    FItems.push_back(std::move(item));
    if (!FIndex.empty()) {
      FIndex.emplace(NameOf(FItems.back()), FItems.size() - 1);
    } else if (FItems.size() > kSearched) {
      Reindex();
    }
    return FItems.back();
  }
  void Erase(const T* item) {
    FItems.erase(FItems.begin() + (item - FItems.data()));
    Reindex();
  }
  std::vector<T> TakeAll() {
    FIndex.clear();
    return std::exchange(FItems, {});
  }

 private:
  static constexpr std::size_t kSearched = 8;
  void Reindex() {
    FIndex.clear();
    if (FItems.size() > kSearched)
      for (std::size_t i = 0; i < FItems.size(); ++i) FIndex.emplace(NameOf(FItems[i]), i);
  }
  std::vector<T> FItems;
  std::unordered_map<std::string, std::size_t, TFoldHash, TFoldEqual> FIndex;  // name -> item
};

struct TKeyNode : std::enable_shared_from_this<TKeyNode> {
  std::string Name;
  TKeyNode* Parent = nullptr;  // the parent owns this node through SubKeys
  int Root = 0;
  std::size_t Depth = 0;  // levels below the root
  bool Deleted = false;
  TNamedList<std::shared_ptr<TKeyNode>> SubKeys;
  TNamedList<TMemValue> Values;

  TKeyNode() = default;
  TKeyNode(const TKeyNode&) = delete;
  TKeyNode& operator=(const TKeyNode&) = delete;
  // Frees the subtree without recursion, however deep: subkeys nobody else holds give up
  // their own subkeys to this loop before they go.
  ~TKeyNode() {
    std::vector<std::shared_ptr<TKeyNode>> doomed = SubKeys.TakeAll();
    while (!doomed.empty()) {
      std::shared_ptr<TKeyNode> node = std::move(doomed.back());
      doomed.pop_back();
      if (node.use_count() != 1) continue;  // an open handle keeps it, and its subtree
      for (auto& k : node->SubKeys.TakeAll()) doomed.push_back(std::move(k));
    }
  }

  TKeyNode* Find(std::string_view name) const {
    const std::shared_ptr<TKeyNode>* found = SubKeys.Find(name);
    return found ? found->get() : nullptr;
  }
  TKeyNode* Add(std::string_view name) {
    auto child = std::make_shared<TKeyNode>();
    child->Name = name;
    child->Parent = this;
    child->Root = Root;
    child->Depth = Depth + 1;
    return SubKeys.Add(std::move(child)).get();
  }
  // Takes a subkey out of this key; it stays alive while something else holds it.
  void Remove(TKeyNode* child) { SubKeys.Erase(SubKeys.Find(child->Name)); }
  void SetValue(TMemValue value) {
    if (TMemValue* v = Values.Find(value.Name)) {
      v->Type = value.Type;
      v->Data = std::move(value.Data);
    } else {
      Values.Add(std::move(value));
    }
  }

  // Component names from the root down.
  std::vector<std::string> Path() const {
    std::vector<std::string> path;
    for (const TKeyNode* n = this; n->Parent; n = n->Parent) path.push_back(n->Name);
    std::reverse(path.begin(), path.end());
    return path;
  }
};

std::string_view NameOf(const std::shared_ptr<TKeyNode>& key) { return key->Name; }

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
  std::uint64_t Changes = 0;  // every change to keys or values counts one
  std::vector<TFault> DeniedKeys;
  std::vector<TFault> DeniedWrites;

  TState() { ClearTree(); }
  void ClearTree() {
    ++Changes;
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

// Whether a fault covers the key `below` the node (exactly it, or it or a key under it).
// Paths are only worked out while tests have set faults.
bool Covers(const std::vector<TFault>& faults, const TKeyNode* node, bool exact,
            const std::vector<std::string>& below = {}) {
  if (faults.empty()) return false;
  std::vector<std::string> path = node->Path();
  path.insert(path.end(), below.begin(), below.end());
  for (const TFault& f : faults) {
    if (f.Root != node->Root || f.Path.size() > path.size()) continue;
    if (exact && f.Path.size() != path.size()) continue;
    if (std::equal(f.Path.begin(), f.Path.end(), path.begin(), SameTextAscii)) return true;
  }
  return false;
}

HKEY AddHandle(std::shared_ptr<TKeyNode> node, REGSAM access) {
  TState& s = State();
  std::uintptr_t id = s.NewHandle();
  s.Keys[id] = THandleEntry{std::move(node), access};
  return reinterpret_cast<HKEY>(id);
}

// Without recursion: a subtree may be as deep as the registry allows.
void MarkDeleted(TKeyNode* node) {
  std::vector<TKeyNode*> pending = {node};
  while (!pending.empty()) {
    TKeyNode* n = pending.back();
    pending.pop_back();
    n->Deleted = true;
    for (auto& k : n->SubKeys.Items()) pending.push_back(k.get());
  }
}

void Unlink(TKeyNode* node) {
  MarkDeleted(node);
  node->Parent->Remove(node);
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
// the style it was loaded in. A file that did not load is never written. At exit only
// what changed after the last RegFlushKey is saved: a save that failed there is not
// tried (and reported) a second time.
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
    if (FLoaded && FFlushedAt != State().Changes) Flush();
  }
  LONG Flush() {
    if (FFile.empty()) return ERROR_SUCCESS;
    if (!FLoaded) return ERROR_BADDB;
    FFlushedAt = State().Changes;
    std::string error;
    if (MemRegistrySaveFile(FFile, &error, FStyle)) return ERROR_SUCCESS;
    std::fprintf(stderr, "GLINT_REGISTRY_FILE: %s\n", error.c_str());
    return ERROR_REGISTRY_IO_FAILED;
  }

 private:
  std::string FFile;
  TRegFileStyle FStyle;
  bool FLoaded = false;
  std::optional<std::uint64_t> FFlushedAt;  // the change count the last save was tried at
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
  if (Covers(State().DeniedKeys, node, false, parts)) return ERROR_ACCESS_DENIED;
  // Checked before anything is made, so a refused path creates nothing.
  if (node->Depth + parts.size() > kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
  for (const auto& part : parts)
    if (HeldLength(part) > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
  DWORD how = REG_OPENED_EXISTING_KEY;
  for (const auto& part : parts) {
    TKeyNode* next = node->Find(part);
    if (!next) {
      next = node->Add(part);
      how = REG_CREATED_NEW_KEY;
      ++State().Changes;
    }
    node = next;
  }
  *result = AddHandle(node->shared_from_this(), access);
  if (disposition) *disposition = how;
  return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result) {
  std::lock_guard lock(State().Lock);
  if (!result) return ERROR_INVALID_PARAMETER;
  TKeyNode* node = nullptr;
  if (LONG rc = FindKey(key, subKey, &node); rc != ERROR_SUCCESS) return rc;
  if (Covers(State().DeniedKeys, node, false)) return ERROR_ACCESS_DENIED;
  *result = AddHandle(node->shared_from_this(), access);
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
  if (!node->Parent || !node->SubKeys.Items().empty()) return ERROR_ACCESS_DENIED;
  if (Covers(State().DeniedKeys, node, false)) return ERROR_ACCESS_DENIED;
  Unlink(node);
  ++State().Changes;
  return ERROR_SUCCESS;
}

LONG RegDeleteTreeA(HKEY key, const char* subKey) {
  std::lock_guard lock(State().Lock);
  TKeyNode* node = nullptr;
  if (LONG rc = FindKey(key, subKey, &node); rc != ERROR_SUCCESS) return rc;
  if (Covers(State().DeniedKeys, node, false)) return ERROR_ACCESS_DENIED;
  if (!subKey || !*subKey || !node->Parent) {
    // The key itself stays; only its contents go.
    for (auto& k : node->SubKeys.TakeAll()) MarkDeleted(k.get());
    node->Values.TakeAll();
  } else {
    Unlink(node);
  }
  ++State().Changes;
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size) {
  std::lock_guard lock(State().Lock);
  TKeyNode* node = nullptr;
  if (LONG rc = Resolve(key, KEY_SET_VALUE, &node); rc != ERROR_SUCCESS) return rc;
  if (!data && size) return ERROR_INVALID_PARAMETER;
  if (Covers(State().DeniedWrites, node, true)) return ERROR_ACCESS_DENIED;
  node->SetValue(TMemValue{name ? name : "", type, std::vector<BYTE>(data, data + size)});
  ++State().Changes;
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size) {
  std::lock_guard lock(State().Lock);
  TKeyNode* node = nullptr;
  if (LONG rc = Resolve(key, KEY_QUERY_VALUE, &node); rc != ERROR_SUCCESS) return rc;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  const TMemValue* v = node->Values.Find(name ? name : "");
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
  if (Covers(State().DeniedWrites, node, true)) return ERROR_ACCESS_DENIED;
  TMemValue* v = node->Values.Find(name ? name : "");
  if (!v) return ERROR_FILE_NOT_FOUND;
  node->Values.Erase(v);
  ++State().Changes;
  return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, DWORD* type,
                   BYTE* data, DWORD* dataSize) {
  std::lock_guard lock(State().Lock);
  TKeyNode* node = nullptr;
  if (LONG rc = Resolve(key, KEY_QUERY_VALUE, &node); rc != ERROR_SUCCESS) return rc;
  if (!name || !nameSize || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  if (index >= node->Values.Items().size()) return ERROR_NO_MORE_ITEMS;
  const TMemValue& v = node->Values.Items()[index];
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
  if (index >= node->SubKeys.Items().size()) return ERROR_NO_MORE_ITEMS;
  const std::string& sub = node->SubKeys.Items()[index]->Name;
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
      if (SameTextAscii(name, leaf)) {
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
    for (const auto& k : node->SubKeys.Items()) names.push_back(k->Name);
  return names;
}

std::vector<TMemValue> MemRegistryValues(HKEY root, std::string_view path) {
  std::lock_guard lock(State().Lock);
  const TKeyNode* node = HookFind(root, path);
  return node ? node->Values.Items() : std::vector<TMemValue>{};
}

std::optional<TMemValue> MemRegistryValue(HKEY root, std::string_view path, std::string_view name) {
  for (auto& v : MemRegistryValues(root, path))
    if (SameTextAscii(v.Name, name)) return v;
  return std::nullopt;
}

void MemRegistryWalk(HKEY root, const TMemKeyVisitor& visit) {
  std::lock_guard lock(State().Lock);
  const int index = RootIndex(root);
  if (index < 0) return;
  // An explicit stack rather than recursion, and the path grown and cut back in place
  // rather than rebuilt for each key: a walk costs the size of what it visits.
  struct TFrame {
    const TKeyNode* Node;
    std::size_t Next;        // the subkey to visit next
    std::size_t PathLength;  // of the node's own path
  };
  std::string path;
  const TKeyNode* top = State().Roots[index].get();
  visit(path, top->Values.Items(), !top->SubKeys.Items().empty());
  std::vector<TFrame> stack = {{top, 0, 0}};
  while (!stack.empty()) {
    TFrame& frame = stack.back();
    if (frame.Next == frame.Node->SubKeys.Items().size()) {
      stack.pop_back();
      continue;
    }
    const TKeyNode* child = frame.Node->SubKeys.Items()[frame.Next++].get();
    path.resize(frame.PathLength);
    if (!path.empty()) path += '\\';
    path += child->Name;
    visit(path, child->Values.Items(), !child->SubKeys.Items().empty());
    stack.push_back({child, 0, path.size()});
  }
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
