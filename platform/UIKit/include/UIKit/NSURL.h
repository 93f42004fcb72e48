// An address: a file on the device ("file:///Applications/...") or anything else a browser takes.
#pragma once

#include <Foundation/Foundation.h>

#include <optional>

class NSURL {
  public:
    // The file URL of a device path (initFileURLWithPath:); a relative path is taken from "/".
    static NSURL fileURLWithPath(const NSString& path);
    // The URL of an absolute address; null when the text is no absolute URL.
    static std::optional<NSURL> URLWithString(const NSString& text);
    // `relative` (as written in a link) resolved against this URL.
    std::optional<NSURL> URLByResolving(const NSString& relative) const;

    const NSString& absoluteString() const { return absolute_; }
    NSString scheme() const;
    // The path part, percent-decoded ("/Applications/VigilantPro.app/help.html").
    NSString path() const;
    // The fragment after '#', empty when none.
    NSString fragment() const;
    BOOL isFileURL() const { return scheme() == "file"; }
    bool operator==(const NSURL&) const = default;

  private:
    explicit NSURL(NSString absolute) : absolute_(std::move(absolute)) {}
    NSString absolute_;
};
