/* A stand-in for libmpv that fails in one chosen way:
 *   FAKE_MPV_NOCREATE  every instance fails to be made (the engine cannot start),
 *   FAKE_MPV_NOINIT    instances are made but cannot be initialised (movies cannot be entered),
 *   FAKE_MPV_PARTIAL   a function the engine needs is missing. */
#include <mpv/client.h>
#include <mpv/render.h>
#include <stddef.h>

unsigned long mpv_client_api_version(void) { return MPV_CLIENT_API_VERSION; }
const char* mpv_error_string(int error) { (void)error; return "fake"; }
void mpv_free(void* data) { (void)data; }
mpv_handle* mpv_create(void)
{
#ifdef FAKE_MPV_NOCREATE
    return NULL;
#else
    static int dummy;
    return (mpv_handle*)&dummy;
#endif
}
int mpv_initialize(mpv_handle* ctx) { (void)ctx; return MPV_ERROR_UNINITIALIZED; }
void mpv_terminate_destroy(mpv_handle* ctx) { (void)ctx; }
int mpv_set_option_string(mpv_handle* ctx, const char* name, const char* data) { (void)ctx; (void)name; (void)data; return 0; }
int mpv_set_property(mpv_handle* ctx, const char* name, mpv_format format, void* data) { (void)ctx; (void)name; (void)format; (void)data; return MPV_ERROR_UNINITIALIZED; }
int mpv_set_property_string(mpv_handle* ctx, const char* name, const char* data) { (void)ctx; (void)name; (void)data; return MPV_ERROR_UNINITIALIZED; }
int mpv_set_property_async(mpv_handle* ctx, uint64_t reply, const char* name, mpv_format format, void* data) { (void)ctx; (void)reply; (void)name; (void)format; (void)data; return MPV_ERROR_UNINITIALIZED; }
int mpv_get_property_async(mpv_handle* ctx, uint64_t reply, const char* name, mpv_format format) { (void)ctx; (void)reply; (void)name; (void)format; return MPV_ERROR_UNINITIALIZED; }
int mpv_observe_property(mpv_handle* ctx, uint64_t reply, const char* name, mpv_format format) { (void)ctx; (void)reply; (void)name; (void)format; return 0; }
int mpv_get_property(mpv_handle* ctx, const char* name, mpv_format format, void* data) { (void)ctx; (void)name; (void)format; (void)data; return MPV_ERROR_UNINITIALIZED; }
int mpv_command(mpv_handle* ctx, const char** args) { (void)ctx; (void)args; return MPV_ERROR_UNINITIALIZED; }
int mpv_command_async(mpv_handle* ctx, uint64_t reply, const char** args) { (void)ctx; (void)reply; (void)args; return MPV_ERROR_UNINITIALIZED; }
void mpv_free_node_contents(mpv_node* node) { (void)node; }
mpv_event* mpv_wait_event(mpv_handle* ctx, double timeout)
{
    static mpv_event none;
    (void)ctx; (void)timeout;
    none.event_id = MPV_EVENT_NONE;
    return &none;
}
void mpv_set_wakeup_callback(mpv_handle* ctx, void (*cb)(void*), void* d) { (void)ctx; (void)cb; (void)d; }
int mpv_request_log_messages(mpv_handle* ctx, const char* level) { (void)ctx; (void)level; return 0; }
#ifndef FAKE_MPV_PARTIAL
int mpv_render_context_create(mpv_render_context** res, mpv_handle* mpv, mpv_render_param* params)
{
    (void)res; (void)mpv; (void)params;
    return MPV_ERROR_UNSUPPORTED;
}
#endif
void mpv_render_context_free(mpv_render_context* ctx) { (void)ctx; }
int mpv_render_context_render(mpv_render_context* ctx, mpv_render_param* params) { (void)ctx; (void)params; return MPV_ERROR_UNSUPPORTED; }
uint64_t mpv_render_context_update(mpv_render_context* ctx) { (void)ctx; return 0; }
void mpv_render_context_set_update_callback(mpv_render_context* ctx, mpv_render_update_fn cb, void* d) { (void)ctx; (void)cb; (void)d; }
void mpv_render_context_report_swap(mpv_render_context* ctx) { (void)ctx; }
