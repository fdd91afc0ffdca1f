#pragma once
#include "tests/common/TestFiles.h"

#include <cstdlib>
#include <string>

// SANE's own "test" backend as the only scanner, configured in a folder of its own. SANE reads the
// folder's name once per process, so a test process keeps one of these for its whole run and
// rewrites the device's settings in it.
class TSaneTestDevice {
public:
    static TSaneTestDevice& Instance()
    {
        static TSaneTestDevice device;
        return device;
    }
    // Two devices, "test:0" and "test:1", scanning 20 x 10 mm at 25 dots an inch (19 pixels wide),
    // plus the test backend's own settings given in extra ("test-picture \"Solid white\"\n").
    void Configure(const std::string& extra = "")
    {
        WriteWholeFile(folder_.File("dll.conf"), "test\n");
        WriteWholeFile(folder_.File("test.conf"),
                       "number_of_devices 2\nresolution 25.0\nbr_x 20.0\nbr_y 10.0\n" + extra);
    }
    // No backend at all, so no scanner is found.
    void RemoveDevices() { WriteWholeFile(folder_.File("dll.conf"), ""); }
    // The folder, for SANE_CONFIG_DIR of other processes.
    const std::string& Folder() const { return folder_.Path(); }

private:
    TSaneTestDevice()
    {
        Configure();
        setenv("SANE_CONFIG_DIR", folder_.Path().c_str(), 1);
    }
    TTempDir folder_;
};
