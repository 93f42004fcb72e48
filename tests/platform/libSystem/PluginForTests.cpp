// A library that the dlopen interposer tests open by a device path.
extern "C" int vigilantPluginAnswer() { return 42; }
