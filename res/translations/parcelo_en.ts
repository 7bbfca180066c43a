<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ko_KR">
<context>
    <name>BrowserLauncher</name>
    <message>
        <source>배송 조회 페이지를 열 수 없습니다.

</source>
        <translation>The tracking page cannot be opened.

</translation>
    </message>
    <message>
        <source>택배사 &apos;%1&apos;의 조회 주소(parcelo.ini의 %2 줄)가 http:// 또는 https:// 주소가 아닙니다:
%3

parcelo.ini의 %2 줄에 http:// 또는 https://로 시작하는 주소를 적은 뒤 Parcelo를 다시 시작하십시오.</source>
        <translation>The tracking address of courier &apos;%1&apos; (line %2 of parcelo.ini) is not an http:// or https:// address:
%3

Write an address beginning with http:// or https:// on line %2 of parcelo.ini, then start Parcelo again.</translation>
    </message>
    <message>
        <source>조회 주소가 http:// 또는 https:// 주소가 아닙니다:
%1

parcelo.ini의 택배사 주소를 http:// 또는 https://로 시작하도록 고친 뒤 Parcelo를 다시 시작하십시오.</source>
        <translation>The tracking address is not an http:// or https:// address:
%1

Correct the courier&apos;s address in parcelo.ini to begin with http:// or https://, then start Parcelo again.</translation>
    </message>
    <message>
        <source>브라우저를 열 수 없습니다. 기본 웹 브라우저가 설정되어 있는지 확인하십시오.</source>
        <translation>The browser cannot be opened. Check that a default web browser is set.</translation>
    </message>
</context>
<context>
    <name>BulkAddDlg</name>
    <message>
        <source>송장번호가 들어 있는 글을 아래에 붙여 넣으십시오.</source>
        <translation>Paste text containing tracking numbers below.</translation>
    </message>
    <message>
        <source>붙여 넣은 글</source>
        <translation>Pasted text</translation>
    </message>
    <message>
        <source>찾은 송장번호</source>
        <translation>Tracking numbers found</translation>
    </message>
    <message>
        <source>송장번호</source>
        <translation>Tracking number</translation>
    </message>
    <message>
        <source>택배회사</source>
        <translation>Courier</translation>
    </message>
    <message>
        <source>물품명</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>비고</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>택배사 일괄 적용(&amp;A)</source>
        <translation>&amp;Apply courier to all</translation>
    </message>
    <message>
        <source>택배사 일괄 적용</source>
        <translation>Apply courier to all</translation>
    </message>
    <message>
        <source>고른 줄의 택배회사를, 택배회사가 없고 그 회사가 후보인 체크된 줄 모두에 적용합니다.</source>
        <translation>Applies the courier of the chosen row to every checked row that has no courier and has that courier as a candidate.</translation>
    </message>
    <message>
        <source>(선택)</source>
        <translation>(choose)</translation>
    </message>
    <message>
        <source>후보: </source>
        <translation>Candidates: </translation>
    </message>
    <message>
        <source>등록됨</source>
        <translation>Already added</translation>
    </message>
    <message>
        <source>중복</source>
        <translation>Duplicate</translation>
    </message>
    <message>
        <source>송장번호 %1개 중 %2개를 추가합니다.</source>
        <translation>Adding %2 of %1 tracking numbers.</translation>
    </message>
    <message>
        <source> 글이 너무 길어 앞부분만 읽었습니다.</source>
        <translation> The text was too long; only its beginning was read.</translation>
    </message>
    <message>
        <source>택배회사를 고른 줄을 먼저 선택하십시오.
그 회사가 후보인 다른 줄에 같은 회사를 적용합니다.</source>
        <translation>First select a row whose courier you chose.
That courier is applied to the other rows that have it as a candidate.</translation>
    </message>
    <message>
        <source> 외 %1개</source>
        <translation> and %1 more</translation>
    </message>
    <message>
        <source>택배 회사를 고르지 않은 송장번호가 있습니다.
%1
택배회사 칸에서 회사를 고르거나 체크를 해제하십시오.</source>
        <translation>Some tracking numbers have no courier.
%1
Choose a courier in the Courier column or uncheck them.</translation>
    </message>
    <message>
        <source>추가할 송장번호가 없습니다.
송장번호가 들어 있는 글을 붙여 넣고 추가할 줄을 체크하십시오.</source>
        <translation>There are no tracking numbers to add.
Paste text containing tracking numbers and check the rows to add.</translation>
    </message>
    <message>
        <source>배송정보를 추가하지 못했습니다. 아무것도 추가되지 않았습니다.
잠시 후 다시 시도해 주십시오.</source>
        <translation>The shipments could not be added. Nothing was added.
Please try again in a moment.</translation>
    </message>
    <message>
        <source>여러 건 추가</source>
        <translation>Add several</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>
&apos;parcelo --help&apos;를 참고하십시오.
</source>
        <translation>
See &apos;parcelo --help&apos;.
</translation>
    </message>
    <message>
        <source>배송 목록 데이터베이스를 열 수 없습니다: </source>
        <translation>Cannot open the shipment database: </translation>
    </message>
    <message>
        <source>택배사 목록 파일의 경로가 너무 깁니다: </source>
        <translation>The path of the courier list file is too long: </translation>
    </message>
    <message>
        <source>택배사 목록 파일을 찾을 수 없습니다 (설정의 INSTALLPATH를 확인하십시오): </source>
        <translation>Cannot find the courier list file (check INSTALLPATH in the settings): </translation>
    </message>
    <message>
        <source>배송 목록을 읽지 못했습니다: </source>
        <translation>Could not read the shipment list: </translation>
    </message>
    <message>
        <source>송장번호가 비어 있습니다.</source>
        <translation>The tracking number is empty.</translation>
    </message>
    <message>
        <source>송장번호로 택배사를 알 수 없습니다: </source>
        <translation>No courier matches the tracking number: </translation>
    </message>
    <message>
        <source>송장번호에 맞는 택배사가 여럿입니다 (후보: %1): %2
택배사 이름을 지정하여 다시 추가하십시오.</source>
        <translation>Several couriers match the tracking number (candidates: %1): %2
Add it again with the courier&apos;s name.</translation>
    </message>
    <message>
        <source>택배사 목록에 없는 택배사입니다: </source>
        <translation>The courier is not in the courier list: </translation>
    </message>
    <message>
        <source>이미 등록된 송장번호입니다 (번호 %1): %2</source>
        <translation>The tracking number is already registered (number %1): %2</translation>
    </message>
    <message>
        <source>배송을 저장하지 못했습니다: </source>
        <translation>Could not save the shipment: </translation>
    </message>
    <message>
        <source>parcelo: 송장번호를 다시 확인하십시오: %1의 송장번호 형식에 맞지 않습니다.
</source>
        <translation>parcelo: check the tracking number again: it does not match the tracking number format of %1.
</translation>
    </message>
    <message>
        <source>파일 형식을 알 수 없습니다 (.csv 또는 .json): </source>
        <translation>Unknown file format (.csv or .json): </translation>
    </message>
    <message>
        <source>%1건을 내보냈습니다.
</source>
        <translation>Exported %1 shipment(s).
</translation>
    </message>
    <message>
        <source>%1: %2번째 줄: </source>
        <translation>%1: line %2: </translation>
    </message>
    <message>
        <source>오류가 있어 아무것도 가져오지 않았습니다: </source>
        <translation>Nothing was imported because of errors: </translation>
    </message>
    <message>
        <source>가져오지 못했습니다: </source>
        <translation>Could not import: </translation>
    </message>
    <message>
        <source>parcelo: 이미지에서 바코드를 찾지 못했습니다: </source>
        <translation>parcelo: no barcode found in the image: </translation>
    </message>
    <message>
        <source>parcelo: 바코드에 송장번호가 없습니다: </source>
        <translation>parcelo: the barcode holds no tracking number: </translation>
    </message>
    <message>
        <source>백업하지 못했습니다: </source>
        <translation>Could not back up: </translation>
    </message>
    <message>
        <source>
--list 의 각 줄 (탭으로 구분): 번호, 택배사, 송장번호, 상품명, 주문일, 등록일, 상태 (0 배송중, 1 완료, 2 취소)

--scan 의 각 줄 (탭으로 구분): 송장번호, 그 번호에 맞는 택배사 (쉼표로 구분)

종료 코드: 0 성공, 1 입력을 거부함 (이유는 표준 오류에), 2 잘못된 사용법, 3 --scan 이 이미지에서 송장번호를 찾지 못함
</source>
        <translation>
Each line of --list (tab-separated): number, courier, tracking number, item, order date, entry date, status (0 in delivery, 1 done, 2 cancelled)

Each line of --scan (tab-separated): tracking number, the couriers that match it (comma-separated)

Exit codes: 0 success, 1 input refused (the reason on standard error), 2 wrong usage, 3 --scan found no tracking number in the image
</translation>
    </message>
    <message>
        <source>표준 출력에 쓰지 못했습니다.</source>
        <translation>Could not write to standard output.</translation>
    </message>
    <message>
        <source>Parcelo: 택배 배송 조회 목록</source>
        <translation>Parcelo: a parcel tracking list</translation>
    </message>
    <message>
        <source>이 도움말을 보입니다.</source>
        <translation>Shows this help.</translation>
    </message>
    <message>
        <source>버전을 보입니다.</source>
        <translation>Shows the version.</translation>
    </message>
    <message>
        <source>배송 목록을 한 줄에 하나씩 보입니다.</source>
        <translation>Shows the shipment list, one shipment per line.</translation>
    </message>
    <message>
        <source>--list 와 함께: 내보내기와 같은 JSON으로 보입니다.</source>
        <translation>With --list: shows it as JSON, as an export does.</translation>
    </message>
    <message>
        <source>배송을 추가합니다: 택배사 이름 (또는 auto: 송장번호로 찾기), 송장번호, 상품명 (생략 가능). 주문일과 등록일은 지금입니다.</source>
        <translation>Adds a shipment: courier name (or auto: found from the tracking number), tracking number, item (optional). The order and entry dates are now.</translation>
    </message>
    <message>
        <source>모든 배송을 파일로 내보냅니다 (.csv 또는 .json).</source>
        <translation>Exports every shipment to a file (.csv or .json).</translation>
    </message>
    <message>
        <source>파일의 배송을 가져옵니다. 오류가 하나라도 있으면 아무것도 가져오지 않습니다.</source>
        <translation>Imports the shipments of a file. If there is any error, nothing is imported.</translation>
    </message>
    <message>
        <source>실행 중에도 배송 목록 데이터베이스를 파일로 백업합니다.</source>
        <translation>Backs up the shipment database to a file, even while Parcelo runs.</translation>
    </message>
    <message>
        <source>배송 상태를 한 번 확인합니다 (옵션에서 켠 경우에만).</source>
        <translation>Checks the delivery status once (only when turned on in the options).</translation>
    </message>
    <message>
        <source>이미지 (라벨 사진, 주문 화면)의 바코드에서 송장번호를 찾아 한 줄에 하나씩 보입니다. 배송은 추가하지 않습니다.</source>
        <translation>Finds tracking numbers in the barcodes of an image (a label photo, an order screen) and shows them one per line. No shipment is added.</translation>
    </message>
    <message>
        <source>--add 의 택배사, 송장번호, 상품명</source>
        <translation>The courier, tracking number and item of --add</translation>
    </message>
    <message>
        <source>알 수 없는 옵션입니다: </source>
        <translation>Unknown option: </translation>
    </message>
    <message>
        <source>알 수 없는 인수: </source>
        <translation>Unknown argument: </translation>
    </message>
    <message>
        <source>할 일을 하나 지정하십시오.</source>
        <translation>Name one thing to do.</translation>
    </message>
    <message>
        <source>한 번에 하나만 지정할 수 있습니다.</source>
        <translation>Only one thing can be done at a time.</translation>
    </message>
    <message>
        <source>--%1 은 한 번만 쓸 수 있습니다.</source>
        <translation>--%1 can be given only once.</translation>
    </message>
    <message>
        <source>--json 은 --list 와 함께만 쓸 수 있습니다.</source>
        <translation>--json can be used only with --list.</translation>
    </message>
    <message>
        <source>--add 에는 택배사와 송장번호 (그리고 상품명)가 필요합니다.</source>
        <translation>--add needs a courier and a tracking number (and an item).</translation>
    </message>
</context>
<context>
    <name>ConnectionCheck</name>
    <message>
        <source>연결되었습니다</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>서비스가 키를 거부했습니다: 클라이언트 ID와 비밀 키, 인증 방식을 확인하십시오</source>
        <translation>The service refused the key: check the client ID, the secret key and the authentication method</translation>
    </message>
    <message>
        <source>연결할 수 없습니다: 인터넷 연결과 주소의 서버 이름을 확인하십시오</source>
        <translation>Cannot connect: check the internet connection and the server name in the address</translation>
    </message>
    <message>
        <source>서버가 제시간에 답하지 않았습니다: 잠시 후 다시 확인하십시오</source>
        <translation>The server did not answer in time: check again in a moment</translation>
    </message>
    <message>
        <source>서버에 문제가 있어 답하지 못했습니다: 잠시 후 다시 확인하십시오</source>
        <translation>The server had a problem and could not answer: check again in a moment</translation>
    </message>
    <message>
        <source>서비스가 오류로 답했습니다: 주소가 배송 조회 서비스의 주소인지 확인하십시오</source>
        <translation>The service answered with an error: check that the address is a tracking service&apos;s address</translation>
    </message>
    <message>
        <source>확인을 취소했습니다</source>
        <translation>Check cancelled</translation>
    </message>
    <message>
        <source>이 주소는 배송 조회 서비스가 아닙니다: 주소를 확인하십시오 (https://로 시작해야 하며, 이 컴퓨터의 서버는 http://도 됩니다)</source>
        <translation>This address is not a tracking service: check the address (it must begin with https://; a server on this computer may use http://)</translation>
    </message>
</context>
<context>
    <name>CsvReader</name>
    <message>
        <source>파일이 너무 큽니다</source>
        <translation>The file is too large</translation>
    </message>
    <message>
        <source>칸이 너무 깁니다</source>
        <translation>A cell is too long</translation>
    </message>
    <message>
        <source>따옴표가 닫히지 않았습니다</source>
        <translation>A quotation mark is not closed</translation>
    </message>
    <message>
        <source>닫는 따옴표 뒤에 쉼표나 줄 끝이 없습니다</source>
        <translation>No comma or line end after a closing quotation mark</translation>
    </message>
    <message>
        <source>줄이 너무 많습니다</source>
        <translation>Too many lines</translation>
    </message>
    <message>
        <source>열이 너무 많습니다</source>
        <translation>Too many columns</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>열기</source>
        <translation>Open</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>Parcelo 정보</source>
        <translation>About Parcelo</translation>
    </message>
    <message>
        <source>배송중</source>
        <translation>In delivery</translation>
    </message>
    <message>
        <source>완료</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>택배회사</source>
        <translation>Courier</translation>
    </message>
    <message>
        <source>물품명</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>송장번호</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>주문날짜</source>
        <translation>Order date</translation>
    </message>
    <message>
        <source>상태</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>배송 조회</source>
        <translation>Track</translation>
    </message>
    <message>
        <source>전화 걸기</source>
        <translation>Call</translation>
    </message>
    <message>
        <source>편집</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>삭제</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>작게</source>
        <translation>Small</translation>
    </message>
    <message>
        <source>보통</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>크게</source>
        <translation>Large</translation>
    </message>
    <message>
        <source>더블 클릭</source>
        <translation>Double-click</translation>
    </message>
    <message>
        <source>글자 크기</source>
        <translation>Text size</translation>
    </message>
</context>
<context>
    <name>FindBar</name>
    <message>
        <source>찾기: 물품명, 송장번호, 택배사</source>
        <translation>Find: item, tracking number, courier</translation>
    </message>
</context>
<context>
    <name>HtmlDlg</name>
    <message>
        <source>배송 조회 페이지</source>
        <translation>Tracking page</translation>
    </message>
    <message>
        <source>연결 중...</source>
        <translation>Connecting...</translation>
    </message>
</context>
<context>
    <name>HtmlViewCtrl</name>
    <message>
        <source>서버 주소를 찾을 수 없습니다. 인터넷 연결과 주소를 확인하십시오.</source>
        <translation>The server&apos;s address cannot be found. Check the internet connection and the address.</translation>
    </message>
    <message>
        <source>인터넷에 연결되어 있지 않습니다. 연결을 확인하십시오.</source>
        <translation>Not connected to the internet. Check the connection.</translation>
    </message>
    <message>
        <source>서버가 연결을 거부했습니다. 잠시 후 다시 시도하십시오.</source>
        <translation>The server refused the connection. Please try again in a moment.</translation>
    </message>
    <message>
        <source>서버가 응답하지 않습니다. 잠시 후 다시 시도하십시오.</source>
        <translation>The server does not respond. Please try again in a moment.</translation>
    </message>
    <message>
        <source>서버에 연결할 수 없습니다. 인터넷 연결을 확인하고 잠시 후 다시 시도하십시오.</source>
        <translation>Cannot connect to the server. Check the internet connection and try again in a moment.</translation>
    </message>
    <message>
        <source>서버의 보안 인증서를 믿을 수 없어 연결하지 않았습니다. parcelo.ini에 적힌 택배사 주소가 맞는지 확인하십시오.</source>
        <translation>The server&apos;s security certificate cannot be trusted, so no connection was made. Check that the courier&apos;s address in parcelo.ini is right.</translation>
    </message>
    <message>
        <source>서버의 응답을 읽을 수 없습니다. 잠시 후 다시 시도하십시오.</source>
        <translation>The server&apos;s response cannot be read. Please try again in a moment.</translation>
    </message>
    <message>
        <source>페이지를 불러오지 못했습니다. 잠시 후 다시 시도하십시오.</source>
        <translation>The page could not be loaded. Please try again in a moment.</translation>
    </message>
    <message>
        <source>&lt;!DOCTYPE html&gt;&lt;html&gt;&lt;head&gt;&lt;meta charset=&quot;utf-8&quot;&gt;&lt;title&gt;배송 조회 실패&lt;/title&gt;&lt;/head&gt;&lt;body style=&quot;font-family:sans-serif&quot;&gt;&lt;p&gt;&lt;b&gt;배송 조회 페이지를 열지 못했습니다.&lt;/b&gt;&lt;/p&gt;&lt;p id=&quot;reason&quot;&gt;%1&lt;/p&gt;&lt;p&gt;주소: &lt;span id=&quot;address&quot;&gt;%2&lt;/span&gt;&lt;/p&gt;&lt;p&gt;오류: &lt;span id=&quot;detail&quot;&gt;%3&lt;/span&gt;&lt;/p&gt;&lt;p&gt;&lt;a id=&quot;retry&quot; href=&quot;%4&quot;&gt;다시 시도&lt;/a&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;!DOCTYPE html&gt;&lt;html&gt;&lt;head&gt;&lt;meta charset=&quot;utf-8&quot;&gt;&lt;title&gt;Tracking failed&lt;/title&gt;&lt;/head&gt;&lt;body style=&quot;font-family:sans-serif&quot;&gt;&lt;p&gt;&lt;b&gt;The tracking page could not be opened.&lt;/b&gt;&lt;/p&gt;&lt;p id=&quot;reason&quot;&gt;%1&lt;/p&gt;&lt;p&gt;Address: &lt;span id=&quot;address&quot;&gt;%2&lt;/span&gt;&lt;/p&gt;&lt;p&gt;Error: &lt;span id=&quot;detail&quot;&gt;%3&lt;/span&gt;&lt;/p&gt;&lt;p&gt;&lt;a id=&quot;retry&quot; href=&quot;%4&quot;&gt;Try again&lt;/a&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
</context>
<context>
    <name>ImageBarcodes</name>
    <message>
        <source>파일을 열 수 없습니다: %1</source>
        <translation>Cannot open the file: %1</translation>
    </message>
    <message>
        <source>이미지를 읽을 수 없습니다: %1
손상되었거나 지원하지 않는 형식입니다.</source>
        <translation>Cannot read the image: %1
It is damaged or in a format that is not supported.</translation>
    </message>
    <message>
        <source>이미지가 너무 큽니다 (%1×%2 화소): %3
</source>
        <translation>The image is too large (%1×%2 pixels): %3
</translation>
    </message>
    <message>
        <source>이미지가 너무 큽니다: %1
</source>
        <translation>The image is too large: %1
</translation>
    </message>
    <message>
        <source>5천만 화소, 100MB 이하의 이미지로 다시 시도하십시오.</source>
        <translation>Try again with an image of at most 50 million pixels and 100 MB.</translation>
    </message>
</context>
<context>
    <name>ImportConfirmDlg</name>
    <message>
        <source>가져오기</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>가져올 수 없는 줄</source>
        <translation>Lines that cannot be imported</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>닫기</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>이미 있는 배송정보</source>
        <translation>Shipment already there</translation>
    </message>
    <message>
        <source>%1행: %2</source>
        <translation>Line %1: %2</translation>
    </message>
</context>
<context>
    <name>KeyFile</name>
    <message>
        <source>키 파일을 읽을 수 없습니다: %1 (%2)</source>
        <translation>Cannot read the key file: %1 (%2)</translation>
    </message>
    <message>
        <source>키 파일이 %1바이트 이하의 일반 파일이 아닙니다: %2</source>
        <translation>The key file is not a regular file of at most %1 bytes: %2</translation>
    </message>
    <message>
        <source>키 파일의 소유자가 이 사용자가 아니어서 쓰지 않았습니다: %1</source>
        <translation>The key file was not used because it is not owned by this user: %1</translation>
    </message>
    <message>
        <source>키 파일을 다른 사용자도 읽거나 쓸 수 있어 쓰지 않았습니다: %1
소유자만 읽을 수 있게 하십시오 (chmod 600 %1).</source>
        <translation>The key file was not used because other users can read or write it: %1
Make it readable by its owner only (chmod 600 %1).</translation>
    </message>
    <message>
        <source>키 파일의 형식이 맞지 않습니다: %1
한 줄에 &quot;클라이언트 ID:비밀 키&quot;를 적으십시오.</source>
        <translation>The key file is not in the right form: %1
Write &quot;client ID:secret key&quot; on one line.</translation>
    </message>
</context>
<context>
    <name>ListInput</name>
    <message>
        <source>바코드가 잘 보이는 사진이나 화면을 쓰거나, 송장번호를 여러 건 추가에 직접 붙여 넣으십시오.</source>
        <translation>Use a photo or screen where the barcode is clearly visible, or paste the tracking numbers into Add several yourself.</translation>
    </message>
    <message>
        <source>붙여 넣을 것이 없습니다.
송장번호가 들어 있는 글이나 이미지, 파일을 복사한 뒤 다시 붙여 넣으십시오.</source>
        <translation>There is nothing to paste.
Copy text, an image or a file containing tracking numbers and paste again.</translation>
    </message>
    <message>
        <source>붙여 넣은 이미지</source>
        <translation>Pasted image</translation>
    </message>
    <message>
        <source>이미지에서 바코드를 찾지 못했습니다.
</source>
        <translation>No barcode was found in the image.
</translation>
    </message>
    <message>
        <source>파일이 아니어서 추가할 수 없습니다: %1</source>
        <translation>Cannot be added because it is not a file: %1</translation>
    </message>
    <message>
        <source>이미지에서 바코드를 찾지 못했습니다: %1</source>
        <translation>No barcode was found in the image: %1</translation>
    </message>
    <message>
        <source>파일을 열 수 없습니다: %1</source>
        <translation>Cannot open the file: %1</translation>
    </message>
    <message>
        <source>글, CSV나 JSON 파일, 이미지가 아니어서 추가할 수 없습니다: %1</source>
        <translation>Cannot be added because it is not text, a CSV or JSON file, or an image: %1</translation>
    </message>
</context>
<context>
    <name>MainFrame</name>
    <message>
        <source>parcelo.ini! 없습니다. 프로그램을 종료합니다.</source>
        <translation>parcelo.ini is missing. The program will end.</translation>
    </message>
    <message>
        <source>parcelo.ini의 경로가 너무 길어 읽을 수 없습니다.
%1
경로는 259자까지 쓸 수 있습니다. INSTALLPATH를 더 짧은 폴더로 바꾸십시오. 프로그램을 종료합니다.</source>
        <translation>The path of parcelo.ini is too long to be read.
%1
A path can have up to 259 characters. Change INSTALLPATH to a shorter folder. The program will end.</translation>
    </message>
    <message>
        <source>택배 회사 목록이 비어 있습니다.
%1
이 파일에 ID01 항목이 없습니다. ID01=이름;코드;설명;전화번호;조회 주소 형식으로 택배 회사를 적고 프로그램을 다시 시작하십시오.</source>
        <translation>The courier list is empty.
%1
This file has no ID01 entry. Write the couriers in the form ID01=name;code;description;phone number;tracking address and start the program again.</translation>
    </message>
    <message>
        <source>배송정보 데이터베이스를 열 수 없습니다.
배송정보를 보거나 저장할 수 없습니다.</source>
        <translation>Cannot open the shipment database.
Shipments cannot be shown or saved.</translation>
    </message>
    <message>
        <source>비밀 저장소를 쓸 수 없어 비밀 키는 Parcelo를 닫을 때까지만 기억합니다.
클라이언트 ID는 설정 파일에 저장했습니다. 다음에 시작하면 옵션에서 비밀 키만 다시 입력하십시오. 창 없이 확인할 때는 PARCELO_KEY_FILE이나 systemd의 LoadCredential=로 키 파일을 주십시오.</source>
        <translation>The secret store cannot be used, so the secret key is remembered only until Parcelo is closed.
The client ID was saved in the settings file. At the next start, enter only the secret key again in the options. To check without a window, give a key file with PARCELO_KEY_FILE or systemd&apos;s LoadCredential=.</translation>
    </message>
    <message>
        <source>새로 고침	F5</source>
        <translation>Refresh	F5</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>편집</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>삭제</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>배송 조회</source>
        <translation>Track</translation>
    </message>
    <message>
        <source>전화 걸기</source>
        <translation>Call</translation>
    </message>
    <message>
        <source>도구</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>여러 건 추가</source>
        <translation>Add several</translation>
    </message>
    <message>
        <source>찾기</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>내보내기</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>가져오기</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>백업</source>
        <translation>Back up</translation>
    </message>
    <message>
        <source>복원</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>옵션</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>정보</source>
        <translation>About</translation>
    </message>
    <message>
        <source>종료</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>새로 만들기</source>
        <translation>New</translation>
    </message>
    <message>
        <source>메뉴</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>브라우저에서 열기</source>
        <translation>Open in browser</translation>
    </message>
    <message>
        <source>송장번호 복사</source>
        <translation>Copy tracking number</translation>
    </message>
    <message>
        <source>주소 복사</source>
        <translation>Copy address</translation>
    </message>
    <message>
        <source>모두 표시</source>
        <translation>Show all</translation>
    </message>
    <message>
        <source>배송중 표시</source>
        <translation>Show in delivery</translation>
    </message>
    <message>
        <source>완료 표시</source>
        <translation>Show done</translation>
    </message>
    <message>
        <source>취소 표시</source>
        <translation>Show cancelled</translation>
    </message>
    <message>
        <source>입력일 역순</source>
        <translation>Newest entry first</translation>
    </message>
    <message>
        <source>입력일 순</source>
        <translation>Oldest entry first</translation>
    </message>
    <message>
        <source>주문일 역순</source>
        <translation>Newest order first</translation>
    </message>
    <message>
        <source>주문일 순</source>
        <translation>Oldest order first</translation>
    </message>
    <message>
        <source>화면 맞춤</source>
        <translation>Fit to screen</translation>
    </message>
    <message>
        <source>글자 크게</source>
        <translation>Larger text</translation>
    </message>
    <message>
        <source>글자 보통</source>
        <translation>Normal text</translation>
    </message>
    <message>
        <source>글자 작게</source>
        <translation>Smaller text</translation>
    </message>
    <message>
        <source>확인</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>MessageBoxService</name>
    <message>
        <source>예</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>아니요</source>
        <translation>No</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>확인</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>NewTrackDlg</name>
    <message>
        <source>배송정보를 저장하지 못했습니다.</source>
        <translation>The shipment could not be saved.</translation>
    </message>
    <message>
        <source>이 배송정보가 다른 곳에서 삭제되었습니다. 목록을 다시 읽습니다.</source>
        <translation>This shipment was deleted elsewhere. The list is read again.</translation>
    </message>
    <message>
        <source>배송정보를 읽지 못했습니다.</source>
        <translation>The shipment could not be read.</translation>
    </message>
    <message>
        <source>이미 등록된 송장번호입니다: 상품명 %1
그래도 저장하시겠습니까?</source>
        <translation>The tracking number is already registered: item %1
Save it anyway?</translation>
    </message>
    <message>
        <source>변경 내용을 저장하지 않고 닫을까요?</source>
        <translation>Close without saving the changes?</translation>
    </message>
    <message>
        <source>새 배송조회</source>
        <translation>New shipment</translation>
    </message>
    <message>
        <source>배송조회 편집</source>
        <translation>Edit shipment</translation>
    </message>
    <message>
        <source>자동 선택: </source>
        <translation>Detected: </translation>
    </message>
    <message>
        <source>후보: </source>
        <translation>Candidates: </translation>
    </message>
    <message>
        <source>송장번호를 다시 확인하십시오</source>
        <translation>Check the tracking number again</translation>
    </message>
    <message>
        <source>택배 회사를 선택하십시오.</source>
        <translation>Choose a courier.</translation>
    </message>
    <message>
        <source>물품명을 입력하십시오</source>
        <translation>Enter the item</translation>
    </message>
    <message>
        <source>송장번호를 입력하십시오</source>
        <translation>Enter the tracking number</translation>
    </message>
</context>
<context>
    <name>NotificationComposer</name>
    <message>
        <source>이름 없는 물품</source>
        <translation>Unnamed item</translation>
    </message>
    <message>
        <source>배송 상태 변경 %1건</source>
        <translation>%1 delivery status changes</translation>
    </message>
    <message>
        <source>외 %1건</source>
        <translation>and %1 more</translation>
    </message>
    <message>
        <source>배송 조회 서비스가 키를 거부했습니다. 메뉴 &gt; 옵션의 배송 상태에서 클라이언트 ID와 비밀 키를 확인하십시오.</source>
        <translation>The tracking service refused the key. Check the client ID and secret key under Menu &gt; Options, Delivery status.</translation>
    </message>
    <message>
        <source>배송 조회 서비스가 모르는 택배사 코드입니다: parcelo.ini의 %1 줄을 고치십시오.</source>
        <translation>The tracking service does not know the courier code: correct the line %1 of parcelo.ini.</translation>
    </message>
    <message>
        <source>배송 조회 서비스가 %1 택배사의 송장번호를 모두 거절했습니다. parcelo.ini의 그 줄과 송장번호를 확인하십시오.</source>
        <translation>The tracking service refused every tracking number of courier %1. Check that line of parcelo.ini and the tracking numbers.</translation>
    </message>
    <message>
        <source>배송 상태를 확인하지 못했습니다: 저장된 물품을 읽을 수 없습니다</source>
        <translation>Could not check the delivery status: the stored shipments cannot be read</translation>
    </message>
    <message>
        <source>오프라인: 배송 상태를 확인하지 못했습니다</source>
        <translation>Offline: could not check the delivery status</translation>
    </message>
    <message>
        <source>배송 조회 %1건</source>
        <translation>Checked %1</translation>
    </message>
    <message>
        <source>, 변경 %1건</source>
        <translation>, %1 changed</translation>
    </message>
    <message>
        <source>, 실패 %1건</source>
        <translation>, %1 failed</translation>
    </message>
    <message>
        <source>, 나중에 %1건</source>
        <translation>, %1 later</translation>
    </message>
</context>
<context>
    <name>NumberNormaliser</name>
    <message>
        <source>송장번호가 너무 깁니다. 송장번호는 공백과 하이픈을 빼고 40자까지 입력할 수 있습니다.</source>
        <translation>The tracking number is too long. A tracking number can have up to 40 characters, not counting spaces and hyphens.</translation>
    </message>
</context>
<context>
    <name>OptionDlg</name>
    <message>
        <source>옵션</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>배송 상태 주소를 쓸 수 없습니다.
%1
주소는 https://로 시작해야 합니다(이 컴퓨터의 서버는 http://도 됩니다). 주소를 고치거나 비워 기본 주소를 쓰십시오.</source>
        <translation>The delivery status address cannot be used.
%1
The address must begin with https:// (a server on this computer may use http://). Correct the address, or clear it to use the default address.</translation>
    </message>
    <message>
        <source>토큰 주소를 쓸 수 없습니다.
%1
주소는 https://로 시작해야 합니다(이 컴퓨터의 서버는 http://도 됩니다). 주소를 고치거나 비워 기본 주소를 쓰십시오.</source>
        <translation>The token address cannot be used.
%1
The address must begin with https:// (a server on this computer may use http://). Correct the address, or clear it to use the default address.</translation>
    </message>
    <message>
        <source>설정을 저장하지 못했습니다.

설정 파일에 쓸 수 없습니다:
%1

이 파일과 그 폴더에 쓰기 권한이 있는지, 디스크에 빈 공간이 있는지 확인한 뒤 다시 &quot;확인&quot;을 누르십시오. &quot;취소&quot;를 누르면 설정을 바꾸지 않고 닫습니다.</source>
        <translation>The settings could not be saved.

The settings file cannot be written:
%1

Check that this file and its folder may be written and that the disk has free space, then press &quot;OK&quot; again. Press &quot;Cancel&quot; to close without changing the settings.</translation>
    </message>
</context>
<context>
    <name>PageProcess</name>
    <message>
        <source>비정상 종료</source>
        <translation>crashed</translation>
    </message>
    <message>
        <source>종료 코드 %1</source>
        <translation>exit code %1</translation>
    </message>
    <message>
        <source>배송 조회 페이지를 열 수 없습니다: 조회 화면 프로그램(%1)을 시작하지 못했습니다.

Parcelo를 다시 설치하십시오.

(%2)</source>
        <translation>The tracking page cannot be opened: the tracking view program (%1) could not be started.

Please reinstall Parcelo.

(%2)</translation>
    </message>
    <message>
        <source>배송 조회 페이지가 예기치 않게 닫혔습니다: 조회 화면 프로그램이 끝났습니다(%1).

다시 열어 보십시오.</source>
        <translation>The tracking page closed unexpectedly: the tracking view program ended (%1).

Please open it again.</translation>
    </message>
    <message>
        <source>배송 조회 페이지를 열 수 없습니다: 조회 화면 프로그램이 %1초 동안 응답하지 않아 닫았습니다.

잠시 후 다시 열어 보십시오.</source>
        <translation>The tracking page cannot be opened: the tracking view program did not answer for %1 seconds and was closed.

Please open it again in a moment.</translation>
    </message>
    <message>
        <source>배송 조회 페이지를 닫았습니다: 조회 화면 프로그램이 알 수 없는 응답을 보냈습니다.

Parcelo를 다시 설치하십시오.</source>
        <translation>The tracking page was closed: the tracking view program sent an answer that cannot be read.

Please reinstall Parcelo.</translation>
    </message>
</context>
<context>
    <name>ParceloApp</name>
    <message>
        <source>배송 이력을 읽지 못했습니다. 잠시 후 다시 시도하십시오.</source>
        <translation>The delivery history could not be read. Please try again in a moment.</translation>
    </message>
</context>
<context>
    <name>PhoneService</name>
    <message>
        <source>전화번호가 없습니다.</source>
        <translation>There is no phone number.</translation>
    </message>
    <message>
        <source>
전화를 거시겠습니까?</source>
        <translation>
Call this number?</translation>
    </message>
    <message>
        <source>전화를 걸 수 있는 프로그램이 없습니다.
전화번호: </source>
        <translation>There is no program that can make calls.
Phone number: </translation>
    </message>
</context>
<context>
    <name>RefreshCommand</name>
    <message>
        <source>배송 상태 자동 확인이 꺼져 있어 아무것도 확인하지 않았습니다. 옵션에서 켜거나 설정의 [STATUS] ENABLED=1 로 켜십시오.</source>
        <translation>Automatic status checks are turned off, so nothing was checked. Turn them on in the options, or with [STATUS] ENABLED=1 in the settings.</translation>
    </message>
    <message>
        <source>택배사 목록 파일을 읽을 수 없습니다 (설정의 INSTALLPATH를 확인하십시오): </source>
        <translation>Cannot read the courier list file (check INSTALLPATH in the settings): </translation>
    </message>
    <message>
        <source>배송 목록 데이터베이스를 열 수 없습니다: </source>
        <translation>Cannot open the shipment database: </translation>
    </message>
    <message>
        <source>배송 조회 서비스의 키가 없어 아무것도 확인하지 않았습니다. 비밀 저장소에도, $CREDENTIALS_DIRECTORY/%1에도, PARCELO_KEY_FILE이 가리키는 파일에도 키가 없습니다. 옵션에서 키를 입력하거나 키 파일에 한 줄로 &quot;클라이언트 ID:비밀 키&quot;를 적으십시오.</source>
        <translation>There is no key for the tracking service, so nothing was checked. There is no key in the secret store, in $CREDENTIALS_DIRECTORY/%1 or in the file PARCELO_KEY_FILE names. Enter the key in the options, or write &quot;client ID:secret key&quot; on one line of a key file.</translation>
    </message>
    <message>
        <source>배송 상태를 확인하지 못했습니다.</source>
        <translation>Could not check the delivery status.</translation>
    </message>
    <message>
        <source>배송 목록을 읽지 못해 아무것도 확인하지 않았습니다. </source>
        <translation>The shipment list could not be read, so nothing was checked. </translation>
    </message>
    <message>
        <source>배송 상태를 하나도 확인하지 못했습니다. </source>
        <translation>Not a single delivery status could be checked. </translation>
    </message>
</context>
<context>
    <name>ShipmentFileParser</name>
    <message>
        <source>번호</source>
        <translation>number</translation>
    </message>
    <message>
        <source>택배사</source>
        <translation>courier</translation>
    </message>
    <message>
        <source>택배사 코드</source>
        <translation>courier code</translation>
    </message>
    <message>
        <source>택배사 순서</source>
        <translation>courier index</translation>
    </message>
    <message>
        <source>송장번호</source>
        <translation>tracking number</translation>
    </message>
    <message>
        <source>품명</source>
        <translation>item</translation>
    </message>
    <message>
        <source>주문일</source>
        <translation>order date</translation>
    </message>
    <message>
        <source>등록일</source>
        <translation>entry date</translation>
    </message>
    <message>
        <source>상태</source>
        <translation>status</translation>
    </message>
    <message>
        <source>%1 값이 잘못되었습니다</source>
        <translation>The %1 value is not valid</translation>
    </message>
    <message>
        <source>송장번호가 없습니다</source>
        <translation>There is no tracking number</translation>
    </message>
    <message>
        <source>송장번호가 너무 깁니다 (공백과 하이픈을 빼고 40자까지)</source>
        <translation>The tracking number is too long (up to 40 characters, not counting spaces and hyphens)</translation>
    </message>
    <message>
        <source>택배사가 없습니다</source>
        <translation>There is no courier</translation>
    </message>
    <message>
        <source>파일이 너무 큽니다</source>
        <translation>The file is too large</translation>
    </message>
    <message>
        <source>빈 파일입니다</source>
        <translation>The file is empty</translation>
    </message>
    <message>
        <source>글자 인코딩을 읽을 수 없습니다</source>
        <translation>The character encoding cannot be read</translation>
    </message>
    <message>
        <source>택배사 열이 없습니다</source>
        <translation>There is no courier column</translation>
    </message>
    <message>
        <source>송장번호 열이 없습니다</source>
        <translation>There is no tracking number column</translation>
    </message>
    <message>
        <source>JSON이 너무 깊게 중첩되었습니다</source>
        <translation>The JSON is nested too deeply</translation>
    </message>
    <message>
        <source>JSON 형식이 잘못되었습니다</source>
        <translation>The JSON is malformed</translation>
    </message>
    <message>
        <source>항목이 너무 많습니다</source>
        <translation>Too many entries</translation>
    </message>
    <message>
        <source>Parcelo에서 내보낸 파일이 아닙니다</source>
        <translation>The file was not exported by Parcelo</translation>
    </message>
    <message>
        <source>지원하지 않는 파일 버전입니다</source>
        <translation>The file version is not supported</translation>
    </message>
    <message>
        <source>shipments 목록이 없습니다</source>
        <translation>There is no shipments list</translation>
    </message>
    <message>
        <source>항목이 객체가 아닙니다</source>
        <translation>An entry is not an object</translation>
    </message>
</context>
<context>
    <name>ShipmentImporter</name>
    <message>
        <source>%1건 추가, %2건 중복, %3건 오류</source>
        <translation>added: %1, duplicates: %2, errors: %3</translation>
    </message>
    <message>
        <source>택배사를 찾을 수 없습니다: %1</source>
        <translation>Courier not found: %1</translation>
    </message>
    <message>
        <source>(이름 없음)</source>
        <translation>(no name)</translation>
    </message>
</context>
<context>
    <name>ShipmentItemText</name>
    <message>
        <source>상품명: </source>
        <translation>Item: </translation>
    </message>
    <message>
        <source>주문일: </source>
        <translation>Ordered: </translation>
    </message>
    <message>
        <source>완료</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>배송중</source>
        <translation>In delivery</translation>
    </message>
    <message numerus="yes">
        <source>(%n일 경과)</source>
        <translation>
            <numerusform>(%n day ago)</numerusform>
            <numerusform>(%n days ago)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ShipmentListView</name>
    <message>
        <source>선택하신 배송정보를 삭제하시겠습니까?
상품명: %1, 송장번호: %2</source>
        <translation>Delete the selected shipment?
Item: %1, tracking number: %2</translation>
    </message>
    <message>
        <source>배송정보를 삭제하지 못했습니다.</source>
        <translation>The shipment could not be deleted.</translation>
    </message>
    <message>
        <source>배송정보를 읽지 못했습니다. 목록을 다시 읽습니다.</source>
        <translation>The shipment could not be read. The list is read again.</translation>
    </message>
    <message>
        <source>이 배송정보가 다른 곳에서 삭제되었습니다. 목록을 다시 읽습니다.</source>
        <translation>This shipment was deleted elsewhere. The list is read again.</translation>
    </message>
    <message>
        <source>이 배송정보의 택배 회사가 parcelo.ini에 없습니다.</source>
        <translation>The courier of this shipment is not in parcelo.ini.</translation>
    </message>
    <message>
        <source>배송 정보</source>
        <translation>Shipment</translation>
    </message>
    <message>
        <source>새로 만들기(F1)로 첫 배송을 추가하십시오.</source>
        <translation>Add your first shipment with New (F1).</translation>
    </message>
    <message>
        <source>조건에 맞는 배송이 없습니다.</source>
        <translation>No shipment matches.</translation>
    </message>
    <message>
        <source>배송 이력</source>
        <translation>Delivery history</translation>
    </message>
</context>
<context>
    <name>ShipmentTransfer</name>
    <message>
        <source> (후보: %1)</source>
        <translation> (candidates: %1)</translation>
    </message>
    <message>
        <source>배송 목록 데이터베이스를 읽지 못했습니다.</source>
        <translation>Could not read the shipment database.</translation>
    </message>
    <message>
        <source>성공했습니다.</source>
        <translation>Succeeded.</translation>
    </message>
    <message>
        <source>배송 목록 데이터베이스를 읽거나 쓰지 못했습니다.</source>
        <translation>Could not read or write the shipment database.</translation>
    </message>
    <message>
        <source>파일이 없습니다.</source>
        <translation>The file does not exist.</translation>
    </message>
    <message>
        <source>일반 파일이 아닙니다.</source>
        <translation>It is not a regular file.</translation>
    </message>
    <message>
        <source>파일이 너무 큽니다 (200MB 이하만 가져올 수 있습니다).</source>
        <translation>The file is too large (only files up to 200 MB can be imported).</translation>
    </message>
    <message>
        <source>파일을 읽지 못했습니다.</source>
        <translation>Could not read the file.</translation>
    </message>
    <message>
        <source>배송 목록 파일로 읽을 수 없습니다.</source>
        <translation>It cannot be read as a shipment list file.</translation>
    </message>
    <message>
        <source>파일을 쓸 권한이 없습니다.</source>
        <translation>No permission to write the file.</translation>
    </message>
    <message>
        <source>디스크 공간이 부족합니다.</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>파일을 쓰지 못했습니다.</source>
        <translation>Could not write the file.</translation>
    </message>
    <message>
        <source>알 수 없는 오류입니다.</source>
        <translation>Unknown error.</translation>
    </message>
</context>
<context>
    <name>StatusController</name>
    <message>
        <source>배송 상태: 비밀 키가 없습니다. 옵션에서 키를 다시 입력하십시오</source>
        <translation>Delivery status: the secret key is missing. Enter the key again in the options</translation>
    </message>
</context>
<context>
    <name>StatusHistoryDlg</name>
    <message>
        <source>배송 이력</source>
        <translation>Delivery history</translation>
    </message>
    <message>
        <source>아직 확인된 배송 이력이 없습니다.</source>
        <translation>No delivery history has been checked yet.</translation>
    </message>
    <message>
        <source>시각</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>장소</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>내용</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>배송 조회</source>
        <translation>Track</translation>
    </message>
</context>
<context>
    <name>StatusNames</name>
    <message>
        <source>접수</source>
        <translation>Received</translation>
    </message>
    <message>
        <source>집화완료</source>
        <translation>Picked up</translation>
    </message>
    <message>
        <source>이동중</source>
        <translation>In transit</translation>
    </message>
    <message>
        <source>배송출발</source>
        <translation>Out for delivery</translation>
    </message>
    <message>
        <source>배달실패</source>
        <translation>Attempt failed</translation>
    </message>
    <message>
        <source>배송완료</source>
        <translation>Delivered</translation>
    </message>
    <message>
        <source>수령대기</source>
        <translation>Ready for pickup</translation>
    </message>
    <message>
        <source>배송이상</source>
        <translation>Exception</translation>
    </message>
    <message>
        <source>확인중</source>
        <translation>Checking</translation>
    </message>
</context>
<context>
    <name>StatusOptionsPanel</name>
    <message>
        <source>배송 상태 자동 확인</source>
        <translation>Check delivery status automatically</translation>
    </message>
    <message>
        <source>배송완료 시 자동으로 완료 처리</source>
        <translation>Mark as done when delivered</translation>
    </message>
    <message>
        <source>상태가 바뀌면 알림 표시</source>
        <translation>Notify when the status changes</translation>
    </message>
    <message>
        <source>연결 확인</source>
        <translation>Check connection</translation>
    </message>
    <message>
        <source>배송 상태 확인 문제</source>
        <translation>Delivery status problem</translation>
    </message>
    <message>
        <source>API 키</source>
        <translation>API key</translation>
    </message>
    <message>
        <source>OAuth2 토큰</source>
        <translation>OAuth2 token</translation>
    </message>
    <message>
        <source>인증 방식</source>
        <translation>Authentication method</translation>
    </message>
    <message>
        <source>토큰 주소</source>
        <translation>Token address</translation>
    </message>
    <message>
        <source>연결 확인 결과</source>
        <translation>Connection check result</translation>
    </message>
    <message>
        <source>분</source>
        <translation> min</translation>
    </message>
    <message>
        <source>배송 상태</source>
        <translation>Delivery status</translation>
    </message>
    <message>
        <source>주소</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>인증</source>
        <translation>Authentication</translation>
    </message>
    <message>
        <source>클라이언트 ID</source>
        <translation>Client ID</translation>
    </message>
    <message>
        <source>비밀 키</source>
        <translation>Secret key</translation>
    </message>
    <message>
        <source>확인 간격</source>
        <translation>Check every</translation>
    </message>
    <message>
        <source>켜면 배송중인 각 배송정보의 택배 회사와 송장번호가 위 주소로 전송됩니다. 끄면 아무것도 전송하지 않습니다.</source>
        <translation>When on, the courier and tracking number of each shipment in delivery are sent to the address above. When off, nothing is sent.</translation>
    </message>
    <message>
        <source>(저장됨)</source>
        <translation>(saved)</translation>
    </message>
    <message>
        <source>비밀 저장소를 쓸 수 없어 비밀 키는 프로그램을 닫을 때까지만 기억합니다. 설정 파일에는 클라이언트 ID만 저장합니다.</source>
        <translation>The secret store cannot be used, so the secret key is remembered only until the program is closed. Only the client ID is saved in the settings file.</translation>
    </message>
    <message>
        <source>이 서비스에는 키가 필요합니다: 클라이언트 ID와 비밀 키를 입력하십시오</source>
        <translation>This service needs a key: enter the client ID and the secret key</translation>
    </message>
    <message>
        <source>확인하는 중…</source>
        <translation>Checking…</translation>
    </message>
</context>
<context>
    <name>StatusServices</name>
    <message>
        <source>배송 상태를 확인할 수 없습니다: 인터넷 연결과 알림을 맡은 파일을 읽지 못했습니다.

Parcelo를 다시 설치하십시오.

(%1)</source>
        <translation>The delivery status cannot be checked: the file that handles the internet connection and notifications could not be read.

Please reinstall Parcelo.

(%1)</translation>
    </message>
</context>
<context>
    <name>StoreErrorText</name>
    <message>
        <source>다시 시도해 주십시오.</source>
        <translation>Please try again.</translation>
    </message>
    <message>
        <source>성공했습니다.</source>
        <translation>Succeeded.</translation>
    </message>
    <message>
        <source>배송 목록 데이터베이스가 열려 있지 않습니다.</source>
        <translation>The shipment database is not open.</translation>
    </message>
    <message>
        <source>배송정보 데이터베이스가 열려 있지 않습니다. 프로그램을 다시 시작하십시오.</source>
        <translation>The shipment database is not open. Start the program again.</translation>
    </message>
    <message>
        <source>다른 프로그램이 데이터베이스를 사용 중입니다. 잠시 후 다시 시도하십시오.</source>
        <translation>Another program is using the database. Please try again in a moment.</translation>
    </message>
    <message>
        <source>디스크 공간이 부족합니다.</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>파일을 읽거나 쓰지 못했습니다.</source>
        <translation>Could not read or write the file.</translation>
    </message>
    <message>
        <source>파일이 없습니다.</source>
        <translation>The file does not exist.</translation>
    </message>
    <message>
        <source>이 배송정보가 다른 곳에서 삭제되었습니다.</source>
        <translation>This shipment was deleted elsewhere.</translation>
    </message>
    <message>
        <source>파일이나 폴더에 쓸 권한이 없습니다.</source>
        <translation>No permission to write the file or folder.</translation>
    </message>
    <message>
        <source>배송정보 데이터베이스 파일에 쓸 수 없습니다. 파일과 폴더의 쓰기 권한을 확인하십시오.</source>
        <translation>The shipment database file cannot be written. Check the write permissions of the file and its folder.</translation>
    </message>
    <message>
        <source>올바른 데이터베이스 파일이 아니거나 손상되었습니다.</source>
        <translation>It is not a valid database file, or it is damaged.</translation>
    </message>
    <message>
        <source>배송정보 데이터베이스 파일이 손상되었습니다. 프로그램을 닫고 백업에서 복원하십시오.</source>
        <translation>The shipment database file is damaged. Close the program and restore from a backup.</translation>
    </message>
    <message>
        <source>Parcelo의 배송 목록 파일이 아닙니다.</source>
        <translation>It is not a Parcelo shipment list file.</translation>
    </message>
    <message>
        <source>배송정보 데이터베이스 파일이 이 프로그램의 것이 아닙니다. 프로그램을 닫고 파일을 확인하십시오.</source>
        <translation>The shipment database file does not belong to this program. Close the program and check the file.</translation>
    </message>
    <message>
        <source>더 새로운 버전의 Parcelo가 만든 파일입니다.</source>
        <translation>The file was made by a newer version of Parcelo.</translation>
    </message>
    <message>
        <source>배송정보 데이터베이스 파일을 더 새로운 버전의 Parcelo가 만들었습니다. 프로그램을 업데이트하십시오.</source>
        <translation>The shipment database file was made by a newer version of Parcelo. Update the program.</translation>
    </message>
    <message>
        <source>알 수 없는 오류입니다.</source>
        <translation>Unknown error.</translation>
    </message>
</context>
<context>
    <name>StoreFileCommands</name>
    <message>
        <source>CSV 파일 (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>JSON 파일 (*.json)</source>
        <translation>JSON files (*.json)</translation>
    </message>
    <message>
        <source>Parcelo 백업 (*.edb);;모든 파일 (*)</source>
        <translation>Parcelo backups (*.edb);;All files (*)</translation>
    </message>
    <message>
        <source>목록에 표시된 %1건만 내보내시겠습니까?

예: 표시된 배송정보만
아니요: 모든 배송정보
취소: 내보내지 않음</source>
        <translation>Export only the %1 shipment(s) shown in the list?

Yes: only the shipments shown
No: every shipment
Cancel: do not export</translation>
    </message>
    <message>
        <source>내보내기</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>내보내지 못했습니다.
%1

%2</source>
        <translation>Could not export.
%1

%2</translation>
    </message>
    <message>
        <source>배송정보 %1건을 내보냈습니다.
%2</source>
        <translation>Exported %1 shipment(s).
%2</translation>
    </message>
    <message>
        <source>가져오기</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>배송정보 파일 (*.csv *.json);;모든 파일 (*)</source>
        <translation>Shipment files (*.csv *.json);;All files (*)</translation>
    </message>
    <message>
        <source>가져오지 못했습니다.
%1

%2</source>
        <translation>Could not import.
%1

%2</translation>
    </message>
    <message>
        <source>가져오지 못했습니다. 배송정보는 하나도 추가되지 않았습니다.

%1</source>
        <translation>Could not import. No shipment was added.

%1</translation>
    </message>
    <message>
        <source>백업</source>
        <translation>Back up</translation>
    </message>
    <message>
        <source>백업하지 못했습니다.
%1

%2</source>
        <translation>Could not back up.
%1

%2</translation>
    </message>
    <message>
        <source>배송정보를 백업했습니다.
%1</source>
        <translation>The shipments were backed up.
%1</translation>
    </message>
    <message>
        <source>복원</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>이 파일로 복원할 수 없습니다.
%1

%2</source>
        <translation>Cannot restore from this file.
%1

%2</translation>
    </message>
    <message>
        <source>이 파일의 배송정보로 바꾸시겠습니까?
%1

현재 배송정보는 %2 으로 보관됩니다.</source>
        <translation>Replace the shipments with those of this file?
%1

The current shipments are kept as %2.</translation>
    </message>
    <message>
        <source>복원하지 못했습니다.

%1</source>
        <translation>Could not restore.

%1</translation>
    </message>
</context>
<context>
    <name>TrackingPageWindow</name>
    <message>
        <source>배송 조회</source>
        <translation>Tracking</translation>
    </message>
    <message>
        <source>배송 조회 페이지</source>
        <translation>Tracking page</translation>
    </message>
</context>
</TS>
