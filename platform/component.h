// Objects with an owner. An owner keeps the components it owns and frees them when
// it is freed, last created first. Events are std::function members: an empty one is
// skipped, and the first argument of every event is the object that raises it.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class TObject {
 public:
  virtual ~TObject() = default;
};

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* AOwner) : owner_(AOwner) {}
  ~TComponent() override {
    // Free owned components in reverse order of creation.
    while (!owned_.empty()) owned_.pop_back();
  }
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  std::size_t ComponentCount() const { return owned_.size(); }

  // Creates a component owned by `owner`; the owner frees it.
  template <class T, class... Args>
  static T& CreateOwned(TComponent& owner, Args&&... args) {
    auto made = std::make_unique<T>(&owner, std::forward<Args>(args)...);
    T& ref = *made;
    owner.owned_.push_back(std::move(made));
    return ref;
  }

  std::string Name;

 private:
  TComponent* owner_;
  std::vector<std::unique_ptr<TComponent>> owned_;
};

}  // namespace platform
