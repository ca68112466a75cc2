// Exporting a toplevel surface through xdg-foreign; see wayland_foreign.h.
// Everything goes through a queue of its own, so the exchange neither takes
// nor delivers events of the toolkit that owns the connection.
#include "platform/wayland/wayland_foreign.h"

#include <cstring>
#include <string>

#include "xdg-foreign-unstable-v1-client-protocol.h"
#include "xdg-foreign-unstable-v2-client-protocol.h"

struct WaylandExport {
    wl_event_queue *queue = nullptr;
    zxdg_exported_v2 *v2 = nullptr;
    zxdg_exported_v1 *v1 = nullptr;
    std::string handle;
};

namespace {

struct Exporters {
    zxdg_exporter_v2 *v2 = nullptr;
    zxdg_exporter_v1 *v1 = nullptr;
};

void OnGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface,
              uint32_t)
{
    Exporters *found = static_cast<Exporters *>(data);
    if (strcmp(interface, zxdg_exporter_v2_interface.name) == 0)
        found->v2 = static_cast<zxdg_exporter_v2 *>(
            wl_registry_bind(registry, name, &zxdg_exporter_v2_interface, 1));
    else if (strcmp(interface, zxdg_exporter_v1_interface.name) == 0)
        found->v1 = static_cast<zxdg_exporter_v1 *>(
            wl_registry_bind(registry, name, &zxdg_exporter_v1_interface, 1));
}

void OnGlobalRemove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnHandleV2(void *data, zxdg_exported_v2 *, const char *handle)
{
    static_cast<WaylandExport *>(data)->handle = handle;
}

void OnHandleV1(void *data, zxdg_exported_v1 *, const char *handle)
{
    static_cast<WaylandExport *>(data)->handle = handle;
}

const zxdg_exported_v2_listener kExportedV2Listener = {OnHandleV2};
const zxdg_exported_v1_listener kExportedV1Listener = {OnHandleV1};

// The globals that export surfaces, bound on `queue`.
Exporters FindExporters(wl_display *display, wl_event_queue *queue)
{
    Exporters found;
    wl_display *wrapper = static_cast<wl_display *>(wl_proxy_create_wrapper(display));
    if (wrapper == nullptr)
        return found;
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(wrapper), queue);
    wl_registry *registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(registry, &kRegistryListener, &found);
    wl_display_roundtrip_queue(display, queue);
    wl_registry_destroy(registry);
    // One exporter is enough; the older is kept only without the newer.
    if (found.v2 != nullptr && found.v1 != nullptr) {
        zxdg_exporter_v1_destroy(found.v1);
        found.v1 = nullptr;
    }
    return found;
}

}  // namespace

WaylandExport *WaylandExportSurface(wl_display *display, wl_surface *surface)
{
    if (display == nullptr || surface == nullptr)
        return nullptr;
    WaylandExport *exported = new WaylandExport;
    exported->queue = wl_display_create_queue(display);
    if (exported->queue == nullptr) {
        delete exported;
        return nullptr;
    }
    Exporters exporters = FindExporters(display, exported->queue);
    // Objects made from a proxy inherit its queue, so the handle arrives
    // on ours. The exporter itself is not needed once the export exists.
    if (exporters.v2 != nullptr) {
        exported->v2 = zxdg_exporter_v2_export_toplevel(exporters.v2, surface);
        zxdg_exported_v2_add_listener(exported->v2, &kExportedV2Listener, exported);
        zxdg_exporter_v2_destroy(exporters.v2);
    } else if (exporters.v1 != nullptr) {
        exported->v1 = zxdg_exporter_v1_export(exporters.v1, surface);
        zxdg_exported_v1_add_listener(exported->v1, &kExportedV1Listener, exported);
        zxdg_exporter_v1_destroy(exporters.v1);
    }
    if (exported->v2 == nullptr && exported->v1 == nullptr) {
        WaylandUnexport(exported);
        return nullptr;
    }
    // The compositor answers the export with its handle at once; a
    // connection that fails meanwhile leaves the handle empty.
    if (wl_display_roundtrip_queue(display, exported->queue) < 0 || exported->handle.empty()) {
        WaylandUnexport(exported);
        return nullptr;
    }
    return exported;
}

const char *WaylandExportHandle(const WaylandExport *exported)
{
    return exported->handle.c_str();
}

void WaylandUnexport(WaylandExport *exported)
{
    if (exported == nullptr)
        return;
    if (exported->v2 != nullptr)
        zxdg_exported_v2_destroy(exported->v2);
    if (exported->v1 != nullptr)
        zxdg_exported_v1_destroy(exported->v1);
    if (exported->queue != nullptr)
        wl_event_queue_destroy(exported->queue);
    delete exported;
}
