// The root object and integer handles for objects: 1, 2, 3 ... in order of
// first request. The table holds a reference, so an object lives as long as
// its handle.
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "internal.h"

namespace {

struct HandleTable {
  std::vector<std::shared_ptr<platform::Object>> objects;  // handle n at n - 1
  std::unordered_map<const platform::Object*, int32_t> handles;
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

}  // namespace

namespace platform {

Text Object::ToString() const {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  uintptr_t address = reinterpret_cast<uintptr_t>(this);
  Text digits(sizeof address * 2, u'0');
  for (auto it = digits.rbegin(); it != digits.rend(); ++it, address >>= 4) {
    *it = kDigits[address & 0xF];
  }
  return digits;
}

int32_t Object::Compare(const Object& other) const {
  std::less<const Object*> before;
  if (before(this, &other)) return -1;
  return before(&other, this) ? 1 : 0;
}

std::shared_ptr<Object> Object::SendMessage(const std::shared_ptr<Object>& message,
                                            const std::shared_ptr<Object>&) {
  return message;
}

// The objects go only once the table is empty, so that whatever their
// destructors do with handles finds none.
void ResetHandles() { HandleTable forgotten = std::exchange(Table(), HandleTable{}); }

}  // namespace platform

int32_t rt_handle_from_object(const std::shared_ptr<platform::Object>& object) {
  if (!object) return 0;
  HandleTable& table = Table();
  auto [it, added] = table.handles.try_emplace(object.get(), 0);
  if (added) {
    table.objects.push_back(object);
    it->second = static_cast<int32_t>(table.objects.size());
  }
  return it->second;
}

std::shared_ptr<platform::Object> rt_handle_to_object(int32_t handle) {
  const auto& objects = Table().objects;
  if (handle < 1 || size_t(handle) > objects.size()) return nullptr;
  return objects[size_t(handle) - 1];
}

void rt_release_handle(int32_t handle) {
  HandleTable& table = Table();
  if (handle < 1 || size_t(handle) > table.objects.size()) return;
  auto& slot = table.objects[size_t(handle) - 1];
  if (!slot) return;
  table.handles.erase(slot.get());
  slot.reset();
}

int32_t platform::LiveHandleCount() { return static_cast<int32_t>(Table().handles.size()); }
