// A request to load a URL, as a web view takes it.
#pragma once

#include <UIKit/NSURL.h>

class NSURLRequest {
  public:
    static NSURLRequest requestWithURL(const NSURL& url) { return NSURLRequest(url); }
    const NSURL& URL() const { return url_; }
    bool operator==(const NSURLRequest&) const = default;

  private:
    explicit NSURLRequest(NSURL url) : url_(std::move(url)) {}
    NSURL url_;
};
