#include "form_component.h"

#include <unordered_map>

#include "form_components.h"

namespace quillmere::form {

std::span<const FormComponent> Components() {
  return kComponents;
}

const FormComponent* Find(std::string_view name) {
  static const std::unordered_map<std::string_view, const FormComponent*> by_name = [] {
    std::unordered_map<std::string_view, const FormComponent*> map;
    for (const FormComponent& c : kComponents) map.emplace(c.name, &c);
    return map;
  }();
  const auto it = by_name.find(name);
  return it == by_name.end() ? nullptr : it->second;
}

}  // namespace quillmere::form
