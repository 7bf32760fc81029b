#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Work handed from one thread to a thread of its own, in order: the export reads rows through
// the engine on the calling thread while another writes (or compresses) what was read. A few
// items may wait, so memory stays bounded; a failure of the work stops it, and the next push
// says so.
template <class Item> class Pipeline
{
public:
    // work runs for each item in turn; false stops the pipeline. done runs after the last item
    // once close() is called (not after a failure), and its result is close()'s.
    explicit Pipeline(std::function<bool(Item&)> work, std::function<bool()> done = {}, std::size_t waiting = 4)
        : m_work(std::move(work)), m_done(std::move(done)), m_waiting(waiting), m_thread([this] { run(); })
    {
    }
    ~Pipeline() { close(); }
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    // False once the work has failed.
    bool push(Item item)
    {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [&] { return m_items.size() < m_waiting || m_failed; });
        if (m_failed)
            return false;
        m_items.push_back(std::move(item));
        m_ready.notify_one();
        return true;
    }
    // Every item pushed worked on (and done run); false when the work failed.
    bool close()
    {
        {
            std::lock_guard lock(m_mutex);
            m_closing = true;
        }
        m_ready.notify_one();
        if (m_thread.joinable())
            m_thread.join();
        return !m_failed;
    }

private:
    void run()
    {
        for (;;) {
            Item item;
            {
                std::unique_lock lock(m_mutex);
                m_ready.wait(lock, [&] { return !m_items.empty() || m_closing; });
                if (m_items.empty())
                    break;
                item = std::move(m_items.front());
                m_items.pop_front();
                m_room.notify_one();
            }
            if (!m_work(item)) {
                fail();
                return;
            }
        }
        if (m_done && !m_done())
            fail();
    }
    void fail()
    {
        std::lock_guard lock(m_mutex);
        m_failed = true;
        m_items.clear();
        m_room.notify_all();
    }

    std::function<bool(Item&)> m_work;
    std::function<bool()> m_done;
    std::size_t m_waiting;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::condition_variable m_room;
    std::deque<Item> m_items;
    bool m_closing = false;
    bool m_failed = false;
    std::thread m_thread; // last: it starts once everything above is made
};
