#include "platform/rtmidi/JackBackend.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/rtmidi/JackMidiClient.h"
#include "platform/rtmidi/JackMonitor.h"
#include "platform/rtmidi/RtMidiBackends.h"

namespace tessaline {

namespace {

class JackInput final : public BackendInput {
  public:
    explicit JackInput(std::unique_ptr<JackMidiClient> client) : client_(std::move(client)) {}

  private:
    std::unique_ptr<JackMidiClient> client_;
};

class JackOutput final : public BackendOutput {
  public:
    explicit JackOutput(std::unique_ptr<JackMidiClient> client) : client_(std::move(client)) {}
    // What is still queued goes out before the port closes.
    ~JackOutput() override { client_->drain(kSendRoomWaitMs); }

    MidiResult send(const unsigned char* data, std::size_t length, PendingSend& pending) override {
        if (!client_->alive()) {
            return midiresult::ServerStopped;
        }
        // A target that went away has taken its connection with it: nothing would arrive.
        if (!client_->outputConnected()) {
            return midiresult::DeviceGone;
        }
        return client_->send(data, length, kSendRoomWaitMs, pending);
    }
    int longestWaitMs() const override { return kSendRoomWaitMs; }

  private:
    std::unique_ptr<JackMidiClient> client_;
};

class JackBackend final : public MidiBackend {
  public:
    explicit JackBackend(std::string clientName)
        : clientName_(std::move(clientName)), monitor_(clientName_ + " monitor") {}
    ~JackBackend() override { watchPorts({}); }

    bool serverUp() { return monitor_.connect(); }

    std::string apiName() const override { return "jack"; }
    std::vector<std::string> inputNames() override { return namesOf(listPorts().inputs); }
    std::vector<std::string> outputNames() override { return namesOf(listPorts().outputs); }

    DeviceListing listPorts() override {
        serverUp();
        return monitor_.listPorts(
            [this](const std::string& port) { return isPortOfClient(port, clientName_); });
    }

    // The server announces its ports, but not its own start: while it is down, a quiet try to
    // connect once a second finds it when it comes.
    bool watchPorts(std::function<void()> changed) override {
        stopServerWatch();
        if (!changed) {
            monitor_.setChangeHandler({});
            return true;
        }
        monitor_.setChangeHandler(changed);
        std::lock_guard guard(watchMutex_);
        watching_ = true;
        serverWatch_ = std::thread([this, changed = std::move(changed)] { watchServer(changed); });
        return true;
    }

    MidiResult openInput(const std::string& name, InputSink& sink,
                         std::unique_ptr<BackendInput>& input) override {
        MidiResult result = midiresult::Error;
        auto client = openClient({&sink, false}, result);
        if (client && (result = client->connectInputFrom(name)) == midiresult::Ok) {
            input = std::make_unique<JackInput>(std::move(client));
        }
        return result;
    }

    MidiResult openOutput(const std::string& name,
                          std::unique_ptr<BackendOutput>& output) override {
        MidiResult result = midiresult::Error;
        auto client = openClient({nullptr, true}, result);
        if (client && (result = client->connectOutputTo(name)) == midiresult::Ok) {
            output = std::make_unique<JackOutput>(std::move(client));
        }
        return result;
    }

  private:
    std::unique_ptr<JackMidiClient> openClient(JackMidiClient::Ports ports, MidiResult& result) {
        if (!serverUp()) {
            result = midiresult::DeviceGone;
            return nullptr;
        }
        return JackMidiClient::open(clientName_, ports, result);
    }

    static std::vector<std::string> namesOf(const std::vector<ListedDevice>& devices) {
        std::vector<std::string> names;
        for (const ListedDevice& device : devices) {
            names.push_back(device.name);
        }
        return names;
    }

    void watchServer(const std::function<void()>& changed) {
        std::unique_lock lock(watchMutex_);
        while (!watchStop_.wait_for(lock, kServerLook, [this] { return !watching_; })) {
            lock.unlock();
            const bool wasUp = monitor_.connected();
            if (!wasUp && serverUp()) {
                changed();
            }
            lock.lock();
        }
    }

    void stopServerWatch() {
        {
            std::lock_guard guard(watchMutex_);
            watching_ = false;
        }
        watchStop_.notify_all();
        if (serverWatch_.joinable()) {
            serverWatch_.join();
        }
    }

    static constexpr std::chrono::seconds kServerLook{1};

    std::string clientName_;
    JackMonitor monitor_;
    std::mutex watchMutex_;
    std::condition_variable watchStop_;
    bool watching_ = false;
    std::thread serverWatch_;
};

}  // namespace

std::shared_ptr<MidiBackend> startJackBackend(const std::string& clientName) {
    // A server that is not running yet is found when it starts.
    auto backend = std::make_shared<JackBackend>(clientName);
    backend->serverUp();
    return backend;
}

}  // namespace tessaline
