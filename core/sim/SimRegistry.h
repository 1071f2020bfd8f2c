#pragma once
// The registry of one simulated computer: HKEY_LOCAL_MACHINE as a tree of keys
// with typed values, names compared without regard to case. Open handles keep a
// deleted key alive (further calls on them fail with 1018, as on Windows).

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/sim/SimStrings.h"

namespace vtl::sim {

struct RegistryValue {
    std::string name;  // as first written
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

struct RegNode {
    std::string name;
    RegNode* parent = nullptr;  // null for the root and for deleted keys
    std::map<std::string, std::shared_ptr<RegNode>, CaseLess> children;
    std::map<std::string, RegistryValue, CaseLess> values;
    bool deleted = false;
};

class SimRegistry {
  public:
    SimRegistry();

    [[nodiscard]] const std::shared_ptr<RegNode>& Root() const { return root_; }

    // The key at path below from ("A\B\C"; empty pieces are ignored); null when missing.
    [[nodiscard]] static std::shared_ptr<RegNode> Find(const std::shared_ptr<RegNode>& from,
                                                       std::string_view path);
    // The key at path, created with every missing key above it.
    static std::shared_ptr<RegNode> Create(const std::shared_ptr<RegNode>& from,
                                           std::string_view path);
    // Removes the key and everything below it.
    static void DeleteKey(const std::shared_ptr<RegNode>& node);
    // Removes the sub-keys and values of a key, keeping the key itself.
    static void Clear(const std::shared_ptr<RegNode>& node);
    // "SYSTEM\CurrentControlSet\..." of a live key ("" for the root).
    [[nodiscard]] static std::string PathOf(const RegNode& node);

    // Convenience for set-up and inspection, by path from the root.
    void SetValue(std::string_view path, std::string_view name, std::uint32_t type,
                  std::vector<std::uint8_t> data);
    [[nodiscard]] std::optional<RegistryValue> Value(std::string_view path,
                                                     std::string_view name) const;
    bool DeleteValue(std::string_view path, std::string_view name);
    bool DeleteKeyAt(std::string_view path);
    [[nodiscard]] bool KeyExists(std::string_view path) const;

  private:
    std::shared_ptr<RegNode> root_;
};

}  // namespace vtl::sim
