#pragma once

#include <hidapi/hidapi.h>
#include <libudev.h>

namespace vireo {

// The C functions of hidapi (hidraw backend) and libudev that the Linux backend calls, taken
// as a table so that a stand-in with the same functions can take their place: the program
// uses the system's libraries, the backend's tests a scripted library of their own.
struct HidCApi {
    decltype(&::hid_init) hid_init = nullptr;
    decltype(&::hid_exit) hid_exit = nullptr;
    decltype(&::hid_enumerate) hid_enumerate = nullptr;
    decltype(&::hid_free_enumeration) hid_free_enumeration = nullptr;
    decltype(&::hid_open_path) hid_open_path = nullptr;
    decltype(&::hid_close) hid_close = nullptr;
    decltype(&::hid_get_device_info) hid_get_device_info = nullptr;
    decltype(&::hid_get_product_string) hid_get_product_string = nullptr;
    decltype(&::hid_get_serial_number_string) hid_get_serial_number_string = nullptr;
    decltype(&::hid_send_feature_report) hid_send_feature_report = nullptr;
    decltype(&::hid_read_timeout) hid_read_timeout = nullptr;
    decltype(&::udev_new) udev_new = nullptr;
    decltype(&::udev_unref) udev_unref = nullptr;
    decltype(&::udev_device_new_from_subsystem_sysname) udev_device_new_from_subsystem_sysname =
        nullptr;
    decltype(&::udev_device_get_parent_with_subsystem_devtype)
        udev_device_get_parent_with_subsystem_devtype = nullptr;
    decltype(&::udev_device_get_syspath) udev_device_get_syspath = nullptr;
    decltype(&::udev_device_get_sysname) udev_device_get_sysname = nullptr;
    decltype(&::udev_device_get_action) udev_device_get_action = nullptr;
    decltype(&::udev_device_unref) udev_device_unref = nullptr;
    decltype(&::udev_monitor_new_from_netlink) udev_monitor_new_from_netlink = nullptr;
    decltype(&::udev_monitor_filter_add_match_subsystem_devtype)
        udev_monitor_filter_add_match_subsystem_devtype = nullptr;
    decltype(&::udev_monitor_enable_receiving) udev_monitor_enable_receiving = nullptr;
    decltype(&::udev_monitor_get_fd) udev_monitor_get_fd = nullptr;
    decltype(&::udev_monitor_receive_device) udev_monitor_receive_device = nullptr;
    decltype(&::udev_monitor_unref) udev_monitor_unref = nullptr;

    // The libraries the program is linked with.
    static HidCApi system();

    // Calls visit(member, its C name, the system's function) for every member.
    template <typename Visit> void forEachFunction(Visit &&visit)
    {
        visit(hid_init, "hid_init", &::hid_init);
        visit(hid_exit, "hid_exit", &::hid_exit);
        visit(hid_enumerate, "hid_enumerate", &::hid_enumerate);
        visit(hid_free_enumeration, "hid_free_enumeration", &::hid_free_enumeration);
        visit(hid_open_path, "hid_open_path", &::hid_open_path);
        visit(hid_close, "hid_close", &::hid_close);
        visit(hid_get_device_info, "hid_get_device_info", &::hid_get_device_info);
        visit(hid_get_product_string, "hid_get_product_string", &::hid_get_product_string);
        visit(hid_get_serial_number_string, "hid_get_serial_number_string",
              &::hid_get_serial_number_string);
        visit(hid_send_feature_report, "hid_send_feature_report", &::hid_send_feature_report);
        visit(hid_read_timeout, "hid_read_timeout", &::hid_read_timeout);
        visit(udev_new, "udev_new", &::udev_new);
        visit(udev_unref, "udev_unref", &::udev_unref);
        visit(udev_device_new_from_subsystem_sysname, "udev_device_new_from_subsystem_sysname",
              &::udev_device_new_from_subsystem_sysname);
        visit(udev_device_get_parent_with_subsystem_devtype,
              "udev_device_get_parent_with_subsystem_devtype",
              &::udev_device_get_parent_with_subsystem_devtype);
        visit(udev_device_get_syspath, "udev_device_get_syspath", &::udev_device_get_syspath);
        visit(udev_device_get_sysname, "udev_device_get_sysname", &::udev_device_get_sysname);
        visit(udev_device_get_action, "udev_device_get_action", &::udev_device_get_action);
        visit(udev_device_unref, "udev_device_unref", &::udev_device_unref);
        visit(udev_monitor_new_from_netlink, "udev_monitor_new_from_netlink",
              &::udev_monitor_new_from_netlink);
        visit(udev_monitor_filter_add_match_subsystem_devtype,
              "udev_monitor_filter_add_match_subsystem_devtype",
              &::udev_monitor_filter_add_match_subsystem_devtype);
        visit(udev_monitor_enable_receiving, "udev_monitor_enable_receiving",
              &::udev_monitor_enable_receiving);
        visit(udev_monitor_get_fd, "udev_monitor_get_fd", &::udev_monitor_get_fd);
        visit(udev_monitor_receive_device, "udev_monitor_receive_device",
              &::udev_monitor_receive_device);
        visit(udev_monitor_unref, "udev_monitor_unref", &::udev_monitor_unref);
    }
};

} // namespace vireo
