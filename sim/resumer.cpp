#include "resumer.h"

#include <microhttpd.h>

namespace sim {

Resumer::~Resumer() {
    stop();
}

void Resumer::start() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stopping_) {
        return;
    }
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
}

void Resumer::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        for (const auto& due : due_) {
            MHD_resume_connection(due.second);
        }
        for (MHD_Connection* connection : held_) {
            MHD_resume_connection(connection);
        }
        due_.clear();
        held_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool Resumer::stopping() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stopping_;
}

void Resumer::resume_at(MHD_Connection* connection, Time when) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!stopping_) {
            const bool earliest = due_.empty() || when < due_.begin()->first;
            due_.emplace(when, connection);
            if (!earliest) {
                return;
            }
        } else {
            MHD_resume_connection(connection);
            return;
        }
    }
    changed_.notify_all();
}

void Resumer::hold(MHD_Connection* connection) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) {
        MHD_resume_connection(connection);
    } else {
        held_.push_back(connection);
    }
}

void Resumer::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (due_.empty()) {
            changed_.wait(lock);
            continue;
        }
        const Time when = due_.begin()->first;
        if (std::chrono::steady_clock::now() < when) {
            changed_.wait_until(lock, when);
            continue;
        }
        // Under the lock, so that stop() never finds a connection taken from the queue but not
        // yet resumed.
        MHD_resume_connection(due_.begin()->second);
        due_.erase(due_.begin());
    }
}

}  // namespace sim
