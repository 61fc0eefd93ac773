// SPDX-License-Identifier: MIT
// The package check that comes before the device is changed: a run started
// from a directory without the package, or with one that nobody trusted
// signed, must not leave the modem waiting in download mode.
#pragma once

#include <future>
#include <optional>
#include <string>

#include "upgrade/package_manifest.h"
#include "upgrade/wizard_page.h"

class PackageCheck {
public:
    // Checks all that is quick before anything is sent: the image the run
    // would upload (the staging directory's alternate prod.bin when present,
    // else the package's fw512000.bin) is a regular, readable, non-empty
    // file; the staging directory and the profile history in it, where they
    // exist, are the user's own; the package's signature holds as the
    // policy asks; the manifest has a line for the image (when the package
    // holds a SHA256SUMS, or the run requires one). Starts the image's digest
    // meanwhile. Returns false when the package is refused; the run has
    // then shown "Cannot find <image>", "Image Not Verified: <image>" or
    // "Package Signature Not Valid: <reason>" and logged the reason. The log
    // names the signature's key and trusted comment and the package's
    // version.
    bool Begin(WizardPage& page);

    // Waits for the image's digest, which the log names, and judges it
    // against the manifest's line; the device is still unchanged. Returns
    // false when the image is refused, as Begin refuses.
    bool Finish(WizardPage& page);

    // The firmware version the package installs, once Begin has passed.
    const std::string& Version() const { return m_version; }

private:
    std::string m_imagePath;
    std::string m_imageName;  // its name in the manifest
    std::optional<ManifestLine> m_line;
    std::future<std::optional<std::string>> m_digest;
    std::string m_version;
};

// For a check of the device: names the image's SHA-256 (when there is a
// usable image), the signature and the package's version in the log and the
// status line, refusing nothing. Returns the package's version.
std::string DescribePackage(WizardPage& page);
