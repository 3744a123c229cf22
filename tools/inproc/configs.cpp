// The heaviest configurations, as text.
#include "configs.h"

#include <string>

// No blank lines inside these texts: an empty line ends a configuration file.

namespace {

// Protection, controls and cab equipment, shared by the diesel and the steam cab.
constexpr const char* kCabCommon =
    R"(; AWS and TPWS with the startup test
system=2
awsindicator=10
awswarningsound=10
awsclearsound=11
awsacknowledgekey=0,11
awsminspeed=30
awsdelay=3000
awsindicatorappear=1
awsbrakecancel=1
startuptest=2
tpwsindicator=12,500
tpwsindicator2=13,500
tpwsindicator3=14
tpwswarningsound=12
tpwsresetkey=1
tpwsoverridekey=7
tpwsstopdelay=20
tpwsoverridelifetime=20
tpwsbrakecancel=1
; overspeed control
overspeedcontrol=1
warningspeed=110
overspeed=125
safespeed=100
overspeedindicator=15
overspeedalarm=13
; vigilance, one interval per power notch
vigilance=1
vigilancelamp=16
vigilancealarm=14
vigilancekey=2
vigilanceinterval=60000,50000,45000,40000,35000,30000
vigilancedelay1=3000
vigilancedelay2=3000
vigilancecancellable=1
vigilanceautorelease=1
; power gaps, proportional, four pickups
powergapbehaviour=1
powerpickuppoints=0,20,40,60
powerindicator=17
reminderindicator=20
reminderkey=8
; interlocks
doorpowerlock=1
doorapplybrake=1
tractioninterlock=1
neutralrvrbrake=1
reversercontrol=1
reverserindex=18
effectivervrindex=19
; wipers and 256 rain drops (those past slot 255 are never shown)
wiperindex=21
wiperrate=1000
wiperholdposition=0
wiperdelay=0
wiperonkey=5
wiperoffkey=6
wipersound=15,1
dropstartindex=100
numberofdrops=256
dropsound=20,4
wiperindicator=22
; travel meter in kilometres
travelmetermode=0
travelmeter100=23
travelmeter10=24
travelmeter1=25
travelmeter01=26
travelmeter001=27
; doors, klaxon, custom indicators, cab mode
doorindicator=35,36
klaxonindicator=37,2000,1000
customindicators=12,39,13,40,14,41
cabmode=15,42,43
; PZB90
pzb90=1
pzb90bluelamp=44,500
pzb90yellowlamp=45
pzb90redlamp=46
pzb90key=10
pzb90sound=25
; speed selector, a target speed per power notch
speedselectorkey=11
speedselectorspeeds=0,20,40,60,80,100
; traction: ammeter, heating by load, fuel
automatic=9
automaticindicator=28
ammeter=29
ammetervalues=0,200,400,600,800,1000
heatingrate=-2,1,2,3,4,5
overheatwarn=9000
overheat=10000
overheatresult=1
thermometer=33
overheatindicator=34
overheatalarm=23
fuelcapacity=50000
fuelstartamount=50000
fuelfillspeed=100
fuelindicator=30,10
fuelfillindicator=38
)";

constexpr const char* kDiesel =
    R"(; diesel with four gears and an automatic gearbox
traction=2
heatingpart=2
fuelconsumption=1,2,3,4,5,6
gearratios=100,60,40,25
gearfadeinrange=300,300,300,300
gearfadeoutrange=100,100,100,100
gearindicator=31
gearupkey=3
geardownkey=4
gearchangesound=21,22
gearloopsound=24,1500
tachometer=32
)";

constexpr const char* kSteamTraction =
    R"(; steam
traction=1
heatingpart=1
cutoffmax=75
cutoffmin=-55
cutoffineffective=15
cutoffratiobase=30
cutoffratio=10
cutoffdeviation=8
cutoffincreasekey=3
cutoffdecreasekey=4
cutoffchangespeed=40
cutoffindicator=47
regulatorpressureuse=32
boilermaxpressure=20000
boilerminpressure=12000
boilerblowoffpressure=21000
boilerpressureindicator=48
boilermaxwaterlevel=16000
boilerwatertosteamrate=1500
boilerwaterlevelindicator=49
injectorrate=100
injectorindicator=50
injectortogglekey=12
)";

}  // namespace

const std::string& inproc::Everything() {
    static const std::string text = std::string(kCabCommon) + kDiesel;
    return text;
}

const std::string& inproc::Steam() {
    static const std::string text = std::string(kCabCommon) + kSteamTraction;
    return text;
}

// Every known key, in table order.
const char* const inproc::kFull =
    R"(; every key of the table, with lists where a key takes one
system=2
awsindicator=10
awswarningsound=10
awsclearsound=11
awsacknowledgekey=0,11
awsminspeed=30
awsdelay=3000
awsindicatorappear=1
awsbrakecancel=1
tpwsindicator=12,500
tpwsindicator2=13,500
tpwsindicator3=14
tpwswarningsound=12
tpwsresetkey=1
tpwsoverridekey=7
tpwsstopdelay=20
tpwsoverridelifetime=20
tpwsbrakecancel=1
startuptest=2
overspeedcontrol=1
warningspeed=110
overspeed=125
safespeed=100
overspeedindicator=15
overspeedalarm=13
vigilance=1
vigilancelamp=16
vigilancealarm=14
vigilancekey=2
vigilanceinterval=60000,50000,45000,40000,35000,30000,25000,20000
vigilancedelay1=3000
vigilancedelay2=3000
independentvigilance=0
vigilanceinactivespeed=0
vigilancecancellable=1
vigilanceautorelease=1
powergapbehaviour=1
powerpickuppoints=0,20,40,60,80,100
powerindicator=17
doorpowerlock=1
doorapplybrake=1
tractioninterlock=1
neutralrvrbrake=1
reversercontrol=1
reverserindex=18
effectivervrindex=19
reminderindicator=20
reminderkey=8
wiperindex=21
wiperrate=1000
wiperholdposition=0
wiperdelay=3000
wiperonkey=5
wiperoffkey=6
wipersound=15,1
dropstartindex=100
numberofdrops=256
dropsound=20,4
travelmetermode=0
travelmeter100=23
travelmeter10=24
travelmeter1=25
travelmeter01=26
travelmeter001=27
traction=2
automatic=9
automaticindicator=28
ammeter=29
ammetervalues=0,100,200,300,400,500,600,700,800,900,1000
fuelconsumption=1,2,3,4,5,6,7,8,9,10
fuelcapacity=50000
fuelstartamount=50000
fuelfillspeed=100
fuelindicator=30,10
gearratios=120,90,70,55,40,30,22,16
gearfadeinrange=300,300,280,260,240,220,200,180
gearfadeoutrange=100,100,100,90,90,80,80,70
gearindicator=31
gearupkey=3
geardownkey=4
gearchangesound=21,22
tachometer=32
heatingpart=2
heatingrate=-2,-1,1,2,3,4,5,6,7,8,9
overheatwarn=9000
overheat=10000
overheatresult=1
thermometer=33
overheatindicator=34
overheatalarm=23
cutoffmax=75
cutoffmin=-55
cutoffineffective=15
cutoffratiobase=30
cutoffratio=10
cutoffdeviation=8
cutoffincreasekey=12
cutoffdecreasekey=13
cutoffchangespeed=40
cutoffindicator=47
regulatorpressureuse=32
boilermaxpressure=20000
boilerminpressure=12000
boilerblowoffpressure=21000
boilerpressureindicator=48
boilermaxwaterlevel=16000
boilerwatertosteamrate=1500
boilerwaterlevelindicator=49
injectorrate=100
injectorindicator=50
injectortogglekey=14
doorindicator=35,36
klaxonindicator=37,2000,1000
gearloopsound=24,1500
fuelfillindicator=38
customindicators=12,39,13,40,14,41,15,51,16,52
wiperindicator=22
pzb90=1
pzb90bluelamp=44,500
pzb90yellowlamp=45
pzb90redlamp=46
pzb90key=10
pzb90sound=25
speedselectorkey=11
speedselectorspeeds=0,20,40,60,80,100,120,140
cabmode=15,42,43
; lines for tools that read the dictionary
routename=1,2,3
unitnumber=455,801
)";

// Lists long enough to allocate hundreds of nodes, keys given twice (the later list
// replaces the earlier one), and dictionary lines, some names repeated.
const char* const inproc::kListHeavy =
    R"(; lists everywhere
powergapbehaviour=2
powerpickuppoints=0,5,10,15,20,25,30,35,40,45,50,55,60,65,70,75
powerindicator=17
vigilanceinterval=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30
vigilanceinterval=60000,50000,40000,30000,20000,10000
ammetervalues=0 100 200 300 400 500 600 700 800 900 1000 1100 1200 1300 1400 1500 1600 1700 1800 1900
heatingrate=1,,2,,3,,4,,5,,6,,7,,8,,9,,10,,11,,12,,13,,14,,15,,16,,17,,18,,19,,20
fuelconsumption=1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20
gearratios=100,80,60,40,30,20,15,10,8,6,5,4
gearratios=120,90,70,55,40,30,22,16
gearfadeinrange=300,300,280,260,240,220,200,180,160,140,120,100
gearfadeoutrange=100,100,100,90,90,80,80,70,70,60,60,50
speedselectorspeeds=0,10,20,30,40,50,60,70,80,90,100,110,120,130,140,150,160
customindicators=1,60,2,61,3,62,4,63,5,64,6,65,7,66,8,67,9,68,10,69,11,70,12,71,13
klaxonindicator=37,2000,1000,500,250,125
traction=2
awsindicator=10 
tpwsindicator=12,500,
cabmode=15,42,43
cabmode=14,44,45
routename=1,2,3,4,5,6,7,8,9,10
unitnumber=455,801,802,803
 spaced key=1,2,3
AWSDELAY=4000,5000
awsdelay =6000,7000
=1,2,3
x=
notakeyline
;=1,2,3,4,5
)";
