#include "core/sim/SimRegistry.h"

namespace vtl::sim {

SimRegistry::SimRegistry() : root_(std::make_shared<RegNode>()) {
    root_->name = "HKEY_LOCAL_MACHINE";
}

std::shared_ptr<RegNode> SimRegistry::Find(const std::shared_ptr<RegNode>& from,
                                           std::string_view path) {
    std::shared_ptr<RegNode> node = from;
    for (const auto& piece : SplitNonEmpty(path, '\\')) {
        if (!node || node->deleted) return nullptr;
        auto it = node->children.find(piece);
        if (it == node->children.end()) return nullptr;
        node = it->second;
    }
    return node;
}

std::shared_ptr<RegNode> SimRegistry::Create(const std::shared_ptr<RegNode>& from,
                                             std::string_view path) {
    std::shared_ptr<RegNode> node = from;
    for (const auto& piece : SplitNonEmpty(path, '\\')) {
        auto it = node->children.find(piece);
        if (it == node->children.end()) {
            auto child = std::make_shared<RegNode>();
            child->name = piece;
            child->parent = node.get();
            it = node->children.emplace(piece, std::move(child)).first;
        }
        node = it->second;
    }
    return node;
}

namespace {
void MarkDeleted(RegNode& node) {
    node.deleted = true;
    node.parent = nullptr;
    node.values.clear();
    for (auto& [name, child] : node.children)
        MarkDeleted(*child);
    node.children.clear();
}
}  // namespace

void SimRegistry::DeleteKey(const std::shared_ptr<RegNode>& node) {
    if (!node || node->deleted) return;
    RegNode* parent = node->parent;
    auto keep = node;  // the parent's map may hold the last owner
    if (parent != nullptr) parent->children.erase(node->name);
    MarkDeleted(*keep);
}

void SimRegistry::Clear(const std::shared_ptr<RegNode>& node) {
    node->values.clear();
    auto children = std::move(node->children);
    node->children.clear();
    for (auto& [name, child] : children)
        MarkDeleted(*child);
}

std::string SimRegistry::PathOf(const RegNode& node) {
    std::string path;
    for (const RegNode* n = &node; n != nullptr && n->parent != nullptr; n = n->parent)
        path = path.empty() ? n->name : n->name + "\\" + path;
    return path;
}

void SimRegistry::SetValue(std::string_view path, std::string_view name, std::uint32_t type,
                           std::vector<std::uint8_t> data) {
    auto node = Create(root_, path);
    auto it = node->values.find(name);
    if (it == node->values.end())
        it = node->values.emplace(std::string(name), RegistryValue{std::string(name), 0, {}}).first;
    it->second.type = type;
    it->second.data = std::move(data);
}

std::optional<RegistryValue> SimRegistry::Value(std::string_view path,
                                                std::string_view name) const {
    auto node = Find(root_, path);
    if (!node) return std::nullopt;
    auto it = node->values.find(name);
    if (it == node->values.end()) return std::nullopt;
    return it->second;
}

bool SimRegistry::DeleteValue(std::string_view path, std::string_view name) {
    auto node = Find(root_, path);
    if (!node) return false;
    auto it = node->values.find(name);
    if (it == node->values.end()) return false;
    node->values.erase(it);
    return true;
}

bool SimRegistry::DeleteKeyAt(std::string_view path) {
    auto node = Find(root_, path);
    if (!node || node == root_) return false;
    DeleteKey(node);
    return true;
}

bool SimRegistry::KeyExists(std::string_view path) const {
    return Find(root_, path) != nullptr;
}

}  // namespace vtl::sim
