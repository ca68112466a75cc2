// The recording backend's message boxes (the program's twin is
// gtk_message_box.cpp): each box is recorded with its owner, texts and
// type; while it is "open" the test's hook acts as the user, and the core's
// modal loop then delivers what the hook did; the box answers as the test
// queued, or with its first button, and what the answer hook does then
// arrives as the box closes.
#include "platform/core/core_backend.h"
#include "platform/fake/fake_state.h"

bool BackendOpenBox(const BoxRequest &request)
{
    FakeState &s = Fake();
    s.boxes.push_back(RecordedMessageBox{request.owner_asked,
                                         request.text != nullptr ? request.text : "",
                                         request.caption != nullptr ? request.caption : "",
                                         request.type, 0});
    s.box_hook_ran = false;
    s.box_return_answer = request.layout.return_answer;
    return true;
}

bool BackendWaitForBox(int *answer)
{
    FakeState &s = Fake();
    // First the user acts while the box is up; the core delivers that.
    if (!s.box_hook_ran) {
        s.box_hook_ran = true;
        if (s.on_box)
            s.on_box(s.boxes.back());
        return false;
    }
    *answer = s.box_return_answer;
    if (!s.box_answers.empty()) {
        *answer = s.box_answers.front();
        s.box_answers.pop_front();
    }
    if (s.on_box_answer)
        s.on_box_answer();
    return true;
}

void BackendCloseBox(int answer)
{
    // The last box without an answer is the one closing.
    std::vector<RecordedMessageBox> &boxes = Fake().boxes;
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it)
        if (it->answer == 0) {
            it->answer = answer;
            break;
        }
}

const std::vector<RecordedMessageBox> &FakeMessageBoxes() { return Fake().boxes; }

void FakeQueueMessageBoxAnswers(const std::vector<int> &answers)
{
    Fake().box_answers.assign(answers.begin(), answers.end());
}

void FakeOnMessageBox(std::function<void(const RecordedMessageBox &)> hook)
{
    Fake().on_box = std::move(hook);
}

void FakeOnMessageBoxAnswer(std::function<void()> hook) { Fake().on_box_answer = std::move(hook); }
