#pragma once
// libmpv, loaded at run time. The player does not link against libmpv, so a machine without it
// starts, finds the library missing and asks for it to be installed instead of failing in the
// loader.

#include <mpv/client.h>
#include <mpv/render.h>

#include <memory>
#include <string>

/// The library every start looks for.
inline constexpr const char* kMpvLibraryName = "libmpv.so.2";

/// libmpv refuses to make an instance unless numbers are formatted the C way (LC_NUMERIC "C");
/// a Qt application takes the user's locale at start. Sets LC_NUMERIC back to "C" when it is
/// not: the player reads and writes numbers in the C locale anyway.
void UseCNumericLocale();

/// Keeps the C library's memory arenas few. Every movie runs on an mpv instance of its own whose
/// decoder threads each take an arena of the C library's allocator, and memory freed there stays
/// with the arena: a hundred recordings played one after another then hold tens of megabytes
/// more than twenty did. Call before threads start, at the top of main().
void LimitMallocArenas();

/// The functions of libmpv the engine calls, looked up by name.
struct MpvApi {
    decltype(&::mpv_client_api_version) client_api_version = nullptr;
    decltype(&::mpv_error_string) error_string = nullptr;
    decltype(&::mpv_free) free = nullptr;
    decltype(&::mpv_create) create = nullptr;
    decltype(&::mpv_initialize) initialize = nullptr;
    decltype(&::mpv_terminate_destroy) terminate_destroy = nullptr;
    decltype(&::mpv_set_option_string) set_option_string = nullptr;
    decltype(&::mpv_set_property) set_property = nullptr;
    decltype(&::mpv_set_property_string) set_property_string = nullptr;
    decltype(&::mpv_set_property_async) set_property_async = nullptr;
    decltype(&::mpv_get_property) get_property = nullptr;
    decltype(&::mpv_get_property_async) get_property_async = nullptr;
    decltype(&::mpv_observe_property) observe_property = nullptr;
    decltype(&::mpv_command) command = nullptr;
    decltype(&::mpv_command_async) command_async = nullptr;
    decltype(&::mpv_free_node_contents) free_node_contents = nullptr;
    decltype(&::mpv_wait_event) wait_event = nullptr;
    decltype(&::mpv_set_wakeup_callback) set_wakeup_callback = nullptr;
    decltype(&::mpv_request_log_messages) request_log_messages = nullptr;
    decltype(&::mpv_render_context_create) render_context_create = nullptr;
    decltype(&::mpv_render_context_free) render_context_free = nullptr;
    decltype(&::mpv_render_context_render) render_context_render = nullptr;
    decltype(&::mpv_render_context_update) render_context_update = nullptr;
    decltype(&::mpv_render_context_set_update_callback) render_context_set_update_callback = nullptr;
    decltype(&::mpv_render_context_report_swap) render_context_report_swap = nullptr;
};

/// One loaded copy of libmpv with its functions.
class MpvLibrary {
public:
    enum class Status { Loaded, LibraryMissing, FunctionMissing };

    /// Loads the library by file name (searched like any shared library) or by path, and looks up
    /// every function. On failure nothing stays loaded; *status tells why and *detail names the
    /// library or the missing function.
    static std::shared_ptr<MpvLibrary> Load(const std::string& name, Status* status, std::string* detail = nullptr);

    ~MpvLibrary();
    MpvLibrary(const MpvLibrary&) = delete;
    MpvLibrary& operator=(const MpvLibrary&) = delete;

    const MpvApi& Api() const { return api_; }

private:
    explicit MpvLibrary(void* handle) : handle_(handle) {}
    void* handle_;
    bool unload_ = true;
    MpvApi api_;
};
