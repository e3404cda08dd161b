// A fixed set of worker threads that run one job per band, started once and reused every draw.
// The caller's thread takes band 0, so n bands need n - 1 workers.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

class band_pool {
  public:
    explicit band_pool(int bands);
    ~band_pool();
    band_pool(const band_pool &) = delete;
    band_pool &operator=(const band_pool &) = delete;

    int bands() const { return int(workers_.size()) + 1; }

    // Calls job(context, band) once for every band in [0, bands()) and returns when all are done.
    void run(void (*job)(const void *context, int band), const void *context);

  private:
    void work(int band);

    std::vector<std::thread> workers_;
    void (*job_)(const void *, int) = nullptr;
    const void *context_ = nullptr;
    std::atomic<std::uint32_t> generation_{0};
    std::atomic<int> pending_{0};
    std::atomic<bool> stopping_{false};
};
