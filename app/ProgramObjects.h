#pragma once

namespace tessaline {

class Application;
class MessageBoxes;
class SynthDevice;

// The objects that live for the whole run of the program.
Application& theApplication();
SynthDevice& theDevice();
MessageBoxes& programMessageBoxes();

}  // namespace tessaline
