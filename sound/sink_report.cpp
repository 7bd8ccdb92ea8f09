#include "sink_report.h"

#include <pulse/pulseaudio.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tavrin {

namespace {

struct Query {
    pa_context *context = nullptr;
    const char *stream = nullptr;
    bool done = false;
    std::uint32_t sink = PA_INVALID_INDEX;
    SinkReport report;
};

const char *property(const pa_proplist *p, const char *key)
{
    const char *v = pa_proplist_gets(p, key);
    return v ? v : "";
}

void gotSink(pa_context *, const pa_sink_info *info, int eol, void *data)
{
    auto *q = static_cast<Query *>(data);
    if (eol) {
        q->done = true;
        return;
    }
    if (!info)
        return;
    SinkReport &r = q->report;
    r.known = true;
    r.name = QString::fromUtf8(info->description ? info->description : info->name);
    r.latencyUs = std::int64_t(info->latency);
    const bool network = (info->flags & PA_SINK_NETWORK) != 0;
    const bool bluetooth = std::strcmp(property(info->proplist, PA_PROP_DEVICE_BUS), "bluetooth") == 0 ||
                           std::strcmp(property(info->proplist, PA_PROP_DEVICE_API), "bluez") == 0 ||
                           std::strstr(info->driver ? info->driver : "", "bluez") != nullptr;
    r.risk = bluetooth ? SinkReport::Risk::Bluetooth : network ? SinkReport::Risk::Network : SinkReport::Risk::None;
    // A sound card, a network sink, or a sink that passes its sound on to
    // another (remap, combine, echo cancelling) plays past its monitor.
    r.plays = network || bluetooth || (info->flags & PA_SINK_HARDWARE) != 0 ||
              *property(info->proplist, "device.master_device") != '\0' ||
              std::strstr(info->driver ? info->driver : "", "combine") != nullptr;
}

void gotInput(pa_context *, const pa_sink_input_info *info, int eol, void *data)
{
    auto *q = static_cast<Query *>(data);
    if (eol) {
        if (q->sink == PA_INVALID_INDEX)
            q->done = true;
        else
            pa_operation_unref(pa_context_get_sink_info_by_index(q->context, q->sink, gotSink, q));
        return;
    }
    if (!info || q->sink != PA_INVALID_INDEX)
        return;
    char pid[24];
    std::snprintf(pid, sizeof pid, "%ld", long(getpid()));
    if (std::strcmp(property(info->proplist, PA_PROP_APPLICATION_PROCESS_ID), pid) == 0 &&
        std::strcmp(property(info->proplist, PA_PROP_MEDIA_NAME), q->stream) == 0)
        q->sink = info->sink;
}

void stateChanged(pa_context *c, void *data)
{
    auto *q = static_cast<Query *>(data);
    switch (pa_context_get_state(c)) {
    case PA_CONTEXT_READY:
        pa_operation_unref(pa_context_get_sink_input_info_list(c, gotInput, q));
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED: q->done = true; break;
    default: break;
    }
}

} // namespace

SinkReport querySink(const char *stream, std::chrono::milliseconds timeout)
{
    Query q;
    q.stream = stream;
    pa_mainloop *loop = pa_mainloop_new();
    if (!loop)
        return {};
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Tavrin");
    q.context = pa_context_new_with_proplist(pa_mainloop_get_api(loop), "Tavrin sink query", props);
    pa_proplist_free(props);
    if (q.context) {
        pa_context_set_state_callback(q.context, stateChanged, &q);
        // No autospawn: a server that is not there is not started for us.
        if (pa_context_connect(q.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
            const auto end = std::chrono::steady_clock::now() + timeout;
            while (!q.done) {
                const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                    end - std::chrono::steady_clock::now());
                if (left.count() <= 0)
                    break;
                if (pa_mainloop_prepare(loop, int(std::min<std::int64_t>(left.count(), 50'000))) < 0 ||
                    pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
                    break;
            }
            if (!q.done)
                q.report = {};
            pa_context_disconnect(q.context);
        }
        pa_context_unref(q.context);
    }
    pa_mainloop_free(loop);
    return q.report;
}

} // namespace tavrin
