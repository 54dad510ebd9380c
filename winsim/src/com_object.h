#pragma once

#include <winsim/metabase_interface.h>

#include <memory>

#include "site.h"

namespace winsim {

// IUnknown with one interface, its references counted and journaled by the
// site; an object made before the site's last reset no longer counts.
template <typename Interface>
// Release deletes the most derived object through this base, and only it may:
// the destructor is virtual and protected.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor)
class ComObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, iid_)) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<Interface*>(this);
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override {
    Site::Call call(*site_, nullptr);
    if (generation_ == site_->generation_) ++site_->comReferences_;
    return ++count_;
  }

  ULONG STDMETHODCALLTYPE Release() override {
    ULONG remaining = 0;
    {
      Site::Call call(*site_, "Release");
      call.Set("object", name_);
      if (count_ > 0) {
        --count_;
        if (generation_ == site_->generation_) --site_->comReferences_;
      }
      remaining = count_;
      // A planned fault frees the reference all the same.
      const auto fault = call.Fault();
      call.Finish(fault ? Json(*fault) : Json(remaining));
    }
    if (remaining == 0) delete this;
    return remaining;
  }

 protected:
  // Starts with the one reference its maker hands out.
  ComObject(std::shared_ptr<Site> site, const IID& iid, const char* name)
      : site_(std::move(site)), iid_(iid), name_(name) {
    Site::Call call(*site_, nullptr);
    generation_ = site_->generation_;
    ++site_->comReferences_;
  }
  virtual ~ComObject() = default;

  const std::shared_ptr<Site> site_;

 private:
  const IID iid_;
  const char* name_;
  uint64_t generation_;
  ULONG count_ = 1;
};

}  // namespace winsim
