#include "state/data_service_answers.h"

#include "platform/log.h"
#include "state/business_base.h"

namespace state {

using protocol::MsgType;

void DataServiceAnswers::registerHandlers(Dispatcher& table) {
    table.add(MsgType::DataServiceResponse, componentName(), [this](const Dispatch& m) {
        platform::Log::info("DSResponse");
        processDSResponse(m.values.dataServiceResult, m.values.compressedPayload, m.values.dataServiceRequestName,
                          m.requestKind);
    });
    table.add(MsgType::ChartDataResponse, componentName(), [this](const Dispatch& m) {
        platform::Log::info("ChartDataResponse");
        fillChartData(m.values.resultText, session_.Requestid, m.requestKind);
    });
    // Accepted and ignored.
    for (MsgType type : {MsgType::Reserved1020, MsgType::Reserved1021, MsgType::Reserved1022,
                         MsgType::DataServiceRequest, MsgType::Reserved1025, MsgType::DemoUserCreationRequest})
        table.ignore(type, componentName());
}

}  // namespace state
