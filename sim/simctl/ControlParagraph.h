// A paragraph of a Debian control file: "Field: value" lines, a value going on over the lines
// that follow it when they start with a space or a tab. A package's control file is one; the
// dpkg status file is one a package, separated by empty lines.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace simctl {

class ControlParagraph {
  public:
    // The value of `name` (field names are matched without regard to case) with its
    // continuation lines, as written; empty when the field is absent.
    std::string value(const std::string& name) const;
    // Sets `name`, in its place when the paragraph has it, or else at the end.
    void set(const std::string& name, const std::string& value);
    bool empty() const { return fields_.empty(); }
    // The paragraph's lines, each ending with a newline.
    std::string text() const;

    // The paragraphs of `text`; a CommandError naming the line that is neither a field nor a
    // continuation.
    static std::vector<ControlParagraph> parseAll(const std::string& text,
                                                  const std::string& source);

  private:
    std::vector<std::pair<std::string, std::string>> fields_;
};

}  // namespace simctl
