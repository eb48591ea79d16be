// Theme sounds through libcanberra. Every play gets an id of its own and a finish callback, which
// libcanberra calls from its own thread; the ids not yet reported finished are kept, so that the
// context is freed only when libcanberra is done with every sound.

#include "platform/uSoundPlayer_p.h"
#include "platform/uXSettings.h"

#include <canberra.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

namespace {

// How long Close waits for libcanberra to report the sounds cancelled.
constexpr std::chrono::seconds FinishWait{3};

// The errno code of the same meaning as a libcanberra error.
int ErrnoOf(int CanberraError) noexcept {
  switch (CanberraError) {
  case CA_SUCCESS:
    return 0;
  case CA_ERROR_NOTSUPPORTED:
    return ENOTSUP;
  case CA_ERROR_INVALID:
  case CA_ERROR_STATE:
    return EINVAL;
  case CA_ERROR_OOM:
    return ENOMEM;
  case CA_ERROR_NODRIVER:
  case CA_ERROR_NOTAVAILABLE:
    return ENODEV;
  case CA_ERROR_CORRUPT:
    return EBADMSG;
  case CA_ERROR_TOOBIG:
    return EFBIG;
  case CA_ERROR_NOTFOUND:
    return ENOENT;
  case CA_ERROR_DESTROYED:
  case CA_ERROR_CANCELED:
    return ECANCELED;
  case CA_ERROR_ACCESS:
    return EACCES;
  case CA_ERROR_DISCONNECTED:
    return ENOTCONN;
  }
  return EIO;
}

} // namespace

struct TThemeSounds::TPending {
  std::mutex Mutex;
  std::condition_variable Finished;
  std::set<std::uint32_t> Ids; // guarded by Mutex

  static void OnFinished(ca_context*, std::uint32_t Id, int, void* Pending) {
    auto& pending = *static_cast<TPending*>(Pending);
    const std::lock_guard lock(pending.Mutex);
    pending.Ids.erase(Id);
    pending.Finished.notify_all();
  }
};

TThemeSounds::TThemeSounds() = default;

TThemeSounds::~TThemeSounds() {
  Close();
}

int TThemeSounds::Play(const std::string& Name) {
  Cancel();
  if (!DesktopEventSoundsEnabled())
    return 0;
  if (!Context_) {
    ca_context* context = nullptr;
    if (const int failed = ca_context_create(&context); failed < 0)
      return ErrnoOf(failed);
    Context_ = context;
    Pending_ = std::make_unique<TPending>();
    (void)ca_context_change_props(Context_, CA_PROP_APPLICATION_NAME, program_invocation_short_name,
                                  nullptr);
  }
  ca_proplist* properties = nullptr;
  if (const int failed = ca_proplist_create(&properties); failed < 0)
    return ErrnoOf(failed);
  (void)ca_proplist_sets(properties, CA_PROP_EVENT_ID, Name.c_str());
  (void)ca_proplist_sets(properties, CA_PROP_MEDIA_ROLE, "event");
  const std::uint32_t id = ++LastId_;
  {
    const std::lock_guard lock(Pending_->Mutex);
    Pending_->Ids.insert(id);
  }
  const int result =
      ca_context_play_full(Context_, id, properties, &TPending::OnFinished, Pending_.get());
  ca_proplist_destroy(properties);
  if (result < 0) {
    const std::lock_guard lock(Pending_->Mutex);
    Pending_->Ids.erase(id);
  }
  return result == CA_ERROR_DISABLED ? 0 : ErrnoOf(result);
}

void TThemeSounds::Cancel() noexcept {
  if (!Context_)
    return;
  std::set<std::uint32_t> ids;
  {
    const std::lock_guard lock(Pending_->Mutex);
    ids = Pending_->Ids;
  }
  for (const std::uint32_t id : ids)
    (void)ca_context_cancel(Context_, id);
}

void TThemeSounds::Close() noexcept {
  if (Context_) {
    Cancel();
    bool finished = false;
    {
      std::unique_lock lock(Pending_->Mutex);
      finished =
          Pending_->Finished.wait_for(lock, FinishWait, [this] { return Pending_->Ids.empty(); });
    }
    if (finished) {
      ca_context_destroy(Context_);
      Pending_.reset();
    } else {
      // libcanberra may still call back into the context and the pending list: both stay.
      (void)Pending_.release();
    }
    Context_ = nullptr;
  }
  CloseXSettings();
}
