<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>QLineEdit</name>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Отменить</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Повторить</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Вырезать</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Копировать</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>В&amp;ставить</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Выделить всё</translation>
    </message>
</context>
<context>
    <name>QMdiSubWindow</name>
    <message>
        <source>&amp;Restore</source>
        <translation>&amp;Восстановить</translation>
    </message>
    <message>
        <source>&amp;Move</source>
        <translation>&amp;Переместить</translation>
    </message>
    <message>
        <source>&amp;Size</source>
        <translation>&amp;Размер</translation>
    </message>
    <message>
        <source>Mi&amp;nimize</source>
        <translation>&amp;Свернуть</translation>
    </message>
    <message>
        <source>Ma&amp;ximize</source>
        <translation>Р&amp;азвернуть</translation>
    </message>
    <message>
        <source>Stay on &amp;Top</source>
        <translation>Поверх &amp;всех</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Закрыть</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
</context>
<context>
    <name>QWidgetTextControl</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Копировать</translation>
    </message>
    <message>
        <source>Copy &amp;Link Location</source>
        <translation>Копировать &amp;адрес ссылки</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Выделить всё</translation>
    </message>
</context>
<context>
    <name>Workbench</name>
    <message>
        <source>time</source>
        <translation>время</translation>
    </message>
    <message>
        <source>speed (Campbell)</source>
        <translation>обороты (Кэмпбелл)</translation>
    </message>
    <message>
        <source>frequency</source>
        <translation>частота</translation>
    </message>
    <message>
        <source>order</source>
        <translation>порядок</translation>
    </message>
    <message>
        <source>both</source>
        <translation>оба</translation>
    </message>
    <message>
        <source>run-up</source>
        <translation>разгон</translation>
    </message>
    <message>
        <source>run-down</source>
        <translation>выбег</translation>
    </message>
    <message>
        <source>automatic</source>
        <translation>автоматически</translation>
    </message>
    <message>
        <source>X axis</source>
        <translation>Ось X</translation>
    </message>
    <message>
        <source>Y axis</source>
        <translation>Ось Y</translation>
    </message>
    <message>
        <source>Speed direction</source>
        <translation>Изменение оборотов</translation>
    </message>
    <message>
        <source>Speed bin (0: automatic)</source>
        <translation>Шаг по оборотам (0: авто)</translation>
    </message>
    <message>
        <source>Colour range</source>
        <translation>Шкала цвета</translation>
    </message>
    <message>
        <source>  from</source>
        <translation>  от</translation>
    </message>
    <message>
        <source>  to</source>
        <translation>  до</translation>
    </message>
    <message>
        <source>rectangular</source>
        <translation>прямоугольное</translation>
    </message>
    <message>
        <source>triangular</source>
        <translation>треугольное</translation>
    </message>
    <message>
        <source>Hanning</source>
        <translation>Хеннинга</translation>
    </message>
    <message>
        <source>Blackman</source>
        <translation>Блэкмана</translation>
    </message>
    <message>
        <source>flat top</source>
        <translation>с плоской вершиной</translation>
    </message>
    <message>
        <source>RMS</source>
        <translation>СКЗ</translation>
    </message>
    <message>
        <source>peak</source>
        <translation>пик</translation>
    </message>
    <message>
        <source>power</source>
        <translation>мощность</translation>
    </message>
    <message>
        <source>PSD</source>
        <translation>СПМ</translation>
    </message>
    <message>
        <source>linear</source>
        <translation>линейная</translation>
    </message>
    <message>
        <source>dB</source>
        <translation>дБ</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>(нет)</translation>
    </message>
    <message>
        <source>Block length N</source>
        <translation>Длина блока N</translation>
    </message>
    <message>
        <source>Window</source>
        <translation>Окно</translation>
    </message>
    <message>
        <source>Averages</source>
        <translation>Усреднений</translation>
    </message>
    <message>
        <source>Overlap [%]</source>
        <translation>Перекрытие [%]</translation>
    </message>
    <message>
        <source>Amplitude</source>
        <translation>Амплитуда</translation>
    </message>
    <message>
        <source>Scale</source>
        <translation>Шкала</translation>
    </message>
    <message>
        <source>Speed signal</source>
        <translation>Сигнал оборотов</translation>
    </message>
    <message>
        <source>Korvex workbench</source>
        <translation>Korvex: рабочее место</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Open data file...</source>
        <translation>&amp;Открыть файл данных...</translation>
    </message>
    <message>
        <source>Open &amp;recent</source>
        <translation>&amp;Недавние файлы</translation>
    </message>
    <message>
        <source>Export graph window as &amp;PNG...</source>
        <translation>Сохранить окно графиков в &amp;PNG...</translation>
    </message>
    <message>
        <source>Export active graph as P&amp;NG...</source>
        <translation>Сохранить активный график в P&amp;NG...</translation>
    </message>
    <message>
        <source>Export this graph as PNG...</source>
        <translation>Сохранить этот график в PNG...</translation>
    </message>
    <message>
        <source>Export graph signals as &amp;CSV...</source>
        <translation>Сохранить сигналы графика в &amp;CSV...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Выход</translation>
    </message>
    <message>
        <source>&amp;Graph</source>
        <translation>&amp;График</translation>
    </message>
    <message>
        <source>&amp;New graph window</source>
        <translation>&amp;Новое окно графиков</translation>
    </message>
    <message>
        <source>&amp;Add graph to window</source>
        <translation>&amp;Добавить график в окно</translation>
    </message>
    <message>
        <source>Auto&amp;scale</source>
        <translation>&amp;Автомасштаб</translation>
    </message>
    <message>
        <source>X axis: &amp;time</source>
        <translation>Ось X: &amp;время</translation>
    </message>
    <message>
        <source>X axis: &amp;selected signal</source>
        <translation>Ось X: в&amp;ыбранный сигнал</translation>
    </message>
    <message>
        <source>Cursor &amp;B</source>
        <translation>Курсор &amp;B</translation>
    </message>
    <message>
        <source>Second cursor B with the differences to A (B in a graph)</source>
        <translation>Второй курсор B и разности с A (клавиша B в графике)</translation>
    </message>
    <message>
        <source>&amp;Legend</source>
        <translation>&amp;Легенда</translation>
    </message>
    <message>
        <source>Show or hide the legends (L in a graph)</source>
        <translation>Показать или скрыть легенды (клавиша L в графике)</translation>
    </message>
    <message>
        <source>&amp;Tile windows</source>
        <translation>&amp;Упорядочить окна</translation>
    </message>
    <message>
        <source>Graph</source>
        <translation>График</translation>
    </message>
    <message>
        <source>Remove &quot;%1&quot; from the graph</source>
        <translation>Убрать «%1» с графика</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Вид</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;О программе</translation>
    </message>
    <message>
        <source>The Korvex workbench: the stand-in measurement host with its signal tree, graph windows and plug-in toolbar.</source>
        <translation>Рабочее место Korvex: измерительная среда с деревом сигналов, окнами графиков и панелью модулей.</translation>
    </message>
    <message>
        <source>Signals</source>
        <translation>Сигналы</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Журнал</translation>
    </message>
    <message>
        <source>Plug-ins</source>
        <translation>Модули</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Ед.</translation>
    </message>
    <message>
        <source>Points</source>
        <translation>Точек</translation>
    </message>
    <message>
        <source>Step</source>
        <translation>Шаг</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Длит.</translation>
    </message>
    <message>
        <source>Graphs %1</source>
        <translation>Графики %1</translation>
    </message>
    <message>
        <source>Data files (*.quor *.uff *.unv *.uf *.wav *.tdms *.mat *.csv *.txt *.tsv *.lvm);;All files (*)</source>
        <translation>Файлы данных (*.quor *.uff *.unv *.uf *.wav *.tdms *.mat *.csv *.txt *.tsv *.lvm);;Все файлы (*)</translation>
    </message>
    <message>
        <source>Sample rate</source>
        <translation>Частота дискретизации</translation>
    </message>
    <message>
        <source>Sample rate in Hz:</source>
        <translation>Частота дискретизации, Гц:</translation>
    </message>
    <message>
        <source>PNG images (*.png)</source>
        <translation>Изображения PNG (*.png)</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Файлы CSV (*.csv)</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>Opened %1 into %2</source>
        <translation>Открыт %1 в %2</translation>
    </message>
    <message>
        <source>  note: %1</source>
        <translation>  примечание: %1</translation>
    </message>
    <message>
        <source>Operator: %1</source>
        <translation>Оператор: %1</translation>
    </message>
    <message>
        <source>No graph window is active.</source>
        <translation>Нет активного окна графиков.</translation>
    </message>
    <message>
        <source>Select a signal in the tree first.</source>
        <translation>Сначала выберите сигнал в дереве.</translation>
    </message>
    <message>
        <source>Cannot write &quot;%1&quot;.</source>
        <translation>Не удалось записать «%1».</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>Сохранено: %1</translation>
    </message>
    <message>
        <source>Plug-ins not loaded: %1</source>
        <translation>Модули не загружены: %1</translation>
    </message>
    <message>
        <source>%1 plug-in(s) loaded</source>
        <translation>Загружено модулей: %1</translation>
    </message>
    <message>
        <source>t = %1 s</source>
        <translation>t = %1 с</translation>
    </message>
    <message>
        <source>A: t = %1 s</source>
        <translation>A: t = %1 с</translation>
    </message>
    <message>
        <source>B: t = %1 s</source>
        <translation>B: t = %1 с</translation>
    </message>
    <message>
        <source>t [s]</source>
        <translation>t [с]</translation>
    </message>
    <message>
        <source>Reading the overview... %1 %</source>
        <translation>Чтение обзора... %1 %</translation>
    </message>
    <message>
        <source>Copying %1 to read it from the disk...</source>
        <translation>Копирование %1 для чтения с диска...</translation>
    </message>
    <message>
        <source>Opening %1 was stopped</source>
        <translation>Открытие %1 остановлено</translation>
    </message>
    <message>
        <source>New s&amp;pectrum graph of the selected signal</source>
        <translation>Новый &amp;спектр выбранного сигнала</translation>
    </message>
    <message>
        <source>New &amp;map of the selected signal...</source>
        <translation>Новая &amp;карта выбранного сигнала...</translation>
    </message>
    <message>
        <source>Spectrum</source>
        <translation>Спектр</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>Карта</translation>
    </message>
    <message>
        <source>Spectrum &amp;parameters...</source>
        <translation>&amp;Параметры спектра...</translation>
    </message>
    <message>
        <source>Export as CSV...</source>
        <translation>Сохранить в CSV...</translation>
    </message>
    <message>
        <source>Remove the overlays</source>
        <translation>Убрать наложения</translation>
    </message>
    <message>
        <source>&amp;Harmonic cursor (H)</source>
        <translation>&amp;Гармонический курсор (H)</translation>
    </message>
    <message>
        <source>&amp;Sideband cursor (S)</source>
        <translation>&amp;Курсор боковых полос (S)</translation>
    </message>
    <message>
        <source>&amp;Mark the peak (M)</source>
        <translation>&amp;Отметить пик (M)</translation>
    </message>
    <message>
        <source>&amp;Copy the marked values (Ctrl+C)</source>
        <translation>Ко&amp;пировать отмеченные значения (Ctrl+C)</translation>
    </message>
    <message>
        <source>C&amp;lear the marked values</source>
        <translation>&amp;Сбросить отмеченные значения</translation>
    </message>
    <message>
        <source>&amp;Reset the colour range (R)</source>
        <translation>&amp;Сбросить шкалу цвета (R)</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Стоп</translation>
    </message>
    <message>
        <source>Computing the map...</source>
        <translation>Расчёт карты...</translation>
    </message>
    <message>
        <source>The map was stopped. Change a parameter to compute it again.</source>
        <translation>Расчёт карты остановлен. Измените параметр, чтобы рассчитать её снова.</translation>
    </message>
    <message>
        <source>No signal: drop one from the tree.</source>
        <translation>Нет сигнала: перетащите его из дерева.</translation>
    </message>
    <message>
        <source>The active graph is not a spectrum or a map.</source>
        <translation>Активный график не спектр и не карта.</translation>
    </message>
    <message>
        <source>Spectrum parameters</source>
        <translation>Параметры спектра</translation>
    </message>
    <message>
        <source>Map parameters</source>
        <translation>Параметры карты</translation>
    </message>
    <message>
        <source>Speed from spectrum</source>
        <translation>Обороты по спектру</translation>
    </message>
    <message>
        <source>Vibration signal</source>
        <translation>Сигнал вибрации</translation>
    </message>
    <message>
        <source>Order followed</source>
        <translation>Отслеживаемый порядок</translation>
    </message>
    <message>
        <source>Follow from</source>
        <translation>Начать от</translation>
    </message>
    <message>
        <source>a start point</source>
        <translation>начальной точки</translation>
    </message>
    <message>
        <source>a speed band</source>
        <translation>диапазона оборотов</translation>
    </message>
    <message>
        <source>Start time [s]</source>
        <translation>Время начала [с]</translation>
    </message>
    <message>
        <source>Shaft speed at the start [Hz]</source>
        <translation>Частота вращения в начале [Гц]</translation>
    </message>
    <message>
        <source>Lowest shaft speed [Hz]</source>
        <translation>Наименьшая частота вращения [Гц]</translation>
    </message>
    <message>
        <source>Highest shaft speed [Hz]</source>
        <translation>Наибольшая частота вращения [Гц]</translation>
    </message>
    <message>
        <source>Fastest speed change [%/s]</source>
        <translation>Наибольшая скорость изменения [%/с]</translation>
    </message>
    <message>
        <source>Following the order&apos;s line...</source>
        <translation>Отслеживание линии порядка...</translation>
    </message>
    <message>
        <source>No signal to follow: open a data file first.</source>
        <translation>Нет сигнала: сначала откройте файл данных.</translation>
    </message>
    <message>
        <source>Speed from spectrum: %1</source>
        <translation>Обороты по спектру: %1</translation>
    </message>
    <message>
        <source>  warning: %1</source>
        <translation>  предупреждение: %1</translation>
    </message>
    <message>
        <source>window %1</source>
        <translation>окно %1</translation>
    </message>
    <message>
        <source>RBW %1 Hz</source>
        <translation>полоса %1 Гц</translation>
    </message>
    <message>
        <source>%1 averages</source>
        <translation>усреднений: %1</translation>
    </message>
    <message>
        <source>dB re %1</source>
        <translation>дБ отн. %1</translation>
    </message>
    <message>
        <source>df %1 Hz</source>
        <translation>Δf %1 Гц</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>once (velocity)</source>
        <translation>однократное (скорость)</translation>
    </message>
    <message>
        <source>twice (displacement)</source>
        <translation>двукратное (перемещение)</translation>
    </message>
    <message>
        <source>each block less its mean</source>
        <translation>вычитать среднее каждого блока</translation>
    </message>
    <message>
        <source>Integration</source>
        <translation>Интегрирование</translation>
    </message>
    <message>
        <source>Centring</source>
        <translation>Центрирование</translation>
    </message>
    <message>
        <source>orders, angle domain</source>
        <translation>порядки, угловая область</translation>
    </message>
    <message>
        <source>Bearing &amp;fault lines...</source>
        <translation>&amp;Линии дефектов подшипника...</translation>
    </message>
    <message>
        <source>Bearing fault lines</source>
        <translation>Линии дефектов подшипника</translation>
    </message>
    <message>
        <source>Rolling elements n</source>
        <translation>Число тел качения n</translation>
    </message>
    <message>
        <source>Element diameter d</source>
        <translation>Диаметр тела качения d</translation>
    </message>
    <message>
        <source>Pitch diameter D</source>
        <translation>Средний диаметр D</translation>
    </message>
    <message>
        <source>Contact angle, degrees</source>
        <translation>Угол контакта, градусы</translation>
    </message>
    <message>
        <source>The outer ring turns</source>
        <translation>Вращается наружное кольцо</translation>
    </message>
    <message>
        <source>Shaft frequency, Hz (without a speed signal)</source>
        <translation>Частота вала, Гц (без сигнала оборотов)</translation>
    </message>
    <message>
        <source>Harmonics</source>
        <translation>Гармоники</translation>
    </message>
    <message>
        <source>Sidebands</source>
        <translation>Боковые</translation>
    </message>
    <message>
        <source>Remove the lines</source>
        <translation>Убрать линии</translation>
    </message>
    <message>
        <source>Not a bearing: d must be above 0 and below D, the angle below 90 degrees.</source>
        <translation>Это не подшипник: d должен быть больше 0 и меньше D, угол меньше 90 градусов.</translation>
    </message>
    <message>
        <source>Fault lines: no shaft frequency (a speed signal or one typed)</source>
        <translation>Линии дефектов: нет частоты вала (сигнала оборотов или введенной)</translation>
    </message>
    <message>
        <source>&amp;Envelope band...</source>
        <translation>&amp;Полоса огибающей...</translation>
    </message>
    <message>
        <source>Envelope band from the &amp;kurtogram</source>
        <translation>Полоса огибающей по &amp;куртограмме</translation>
    </message>
    <message>
        <source>&amp;Ordinary spectrum</source>
        <translation>&amp;Обычный спектр</translation>
    </message>
    <message>
        <source>Envelope band</source>
        <translation>Полоса огибающей</translation>
    </message>
    <message>
        <source>From, Hz</source>
        <translation>От, Гц</translation>
    </message>
    <message>
        <source>To, Hz</source>
        <translation>До, Гц</translation>
    </message>
    <message>
        <source>Range around cursor A, s</source>
        <translation>Участок вокруг курсора A, с</translation>
    </message>
    <message>
        <source>envelope of %1-%2 Hz   df %3 Hz   %4 blocks</source>
        <translation>огибающая %1-%2 Гц   df %3 Гц   блоков: %4</translation>
    </message>
    <message>
        <source>The band needs 0 &lt;= from &lt; to.</source>
        <translation>Нужна полоса 0 &lt;= от &lt; до.</translation>
    </message>
    <message>
        <source>Kurto&amp;gram at cursor A...</source>
        <translation>&amp;Куртограмма у курсора A...</translation>
    </message>
    <message>
        <source>Kurtogram</source>
        <translation>Куртограмма</translation>
    </message>
    <message>
        <source>t = %1 s   most impulsive %2-%3 Hz, kurtosis %4   (click: envelope band)</source>
        <translation>t = %1 с   самая импульсная %2-%3 Гц, эксцесс %4   (щелчок: полоса огибающей)</translation>
    </message>
    <message>
        <source>f [Hz]</source>
        <translation>f [Гц]</translation>
    </message>
    <message>
        <source>level</source>
        <translation>уровень</translation>
    </message>
    <message>
        <source>Order spectrum, revolutions (0: off)</source>
        <translation>Порядковый спектр, оборотов (0: выкл.)</translation>
    </message>
    <message>
        <source>R %1 revolutions</source>
        <translation>R %1 оборотов</translation>
    </message>
    <message>
        <source>order step %1</source>
        <translation>шаг по порядку %1</translation>
    </message>
</context>
<context>
    <name>workbench::GraphWindow</name>
    <message>
        <source>s</source>
        <translation>с</translation>
    </message>
    <message>
        <source>Hz</source>
        <translation>Гц</translation>
    </message>
</context>
<context>
    <name>workbench::MapView</name>
    <message>
        <source>The map could not be made.</source>
        <translation>Карту построить не удалось.</translation>
    </message>
    <message>
        <source>Nothing was measured for any cell of the map.</source>
        <translation>Ни в одной ячейке карты нет измерений.</translation>
    </message>
    <message>
        <source>t %1 s</source>
        <translation>t %1 с</translation>
    </message>
    <message>
        <source>speed %1 %2</source>
        <translation>обороты %1 %2</translation>
    </message>
    <message>
        <source>   order %1</source>
        <translation>   порядок %1</translation>
    </message>
    <message>
        <source>   f %1 Hz</source>
        <translation>   f %1 Гц</translation>
    </message>
    <message>
        <source>   speed %1 %2</source>
        <translation>   обороты %1 %2</translation>
    </message>
    <message>
        <source>note: </source>
        <translation>примечание: </translation>
    </message>
    <message>
        <source>order</source>
        <translation>порядок</translation>
    </message>
    <message>
        <source>f [Hz]</source>
        <translation>f [Гц]</translation>
    </message>
    <message>
        <source>Order cut at order %1</source>
        <translation>Срез порядка %1</translation>
    </message>
</context>
<context>
    <name>workbench::OrderCutView</name>
    <message>
        <source>An order cut needs a speed signal.</source>
        <translation>Срезу порядка нужен сигнал оборотов.</translation>
    </message>
    <message>
        <source>%1   order %2   %3 revolutions a spectrum</source>
        <translation>%1   порядок %2   %3 оборотов на спектр</translation>
    </message>
    <message>
        <source>RMS [%1]</source>
        <translation>СКЗ [%1]</translation>
    </message>
    <message>
        <source>t [s]</source>
        <translation>t [с]</translation>
    </message>
    <message>
        <source>phase [°]</source>
        <translation>фаза [°]</translation>
    </message>
    <message>
        <source>t %1 s   RMS %2   phase %3°</source>
        <translation>t %1 с   СКЗ %2   фаза %3°</translation>
    </message>
</context>
<context>
    <name>workbench::SpectralView</name>
    <message>
        <source>+%1 more</source>
        <translation>ещё %1</translation>
    </message>
</context>
<context>
    <name>workbench::SpectrumView</name>
    <message>
        <source>   t = %1 s   </source>
        <translation>   t = %1 с   </translation>
    </message>
    <message>
        <source>f [Hz]</source>
        <translation>f [Гц]</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Гц</translation>
    </message>
    <message>
        <source>value</source>
        <translation>значение</translation>
    </message>
    <message>
        <source>order</source>
        <translation>порядок</translation>
    </message>
    <message>
        <source>f %1 Hz   %2</source>
        <translation>f %1 Гц   %2</translation>
    </message>
    <message>
        <source>   order %1</source>
        <translation>   порядок %1</translation>
    </message>
    <message>
        <source>f %1 Hz</source>
        <translation>f %1 Гц</translation>
    </message>
    <message>
        <source>peak %1 Hz   %2</source>
        <translation>пик %1 Гц   %2</translation>
    </message>
    <message>
        <source>An order spectrum needs a speed signal.</source>
        <translation>Порядковому спектру нужен сигнал оборотов.</translation>
    </message>
    <message>
        <source>order %1   %2</source>
        <translation>порядок %1   %2</translation>
    </message>
    <message>
        <source>peak at order %1   %2</source>
        <translation>пик на порядке %1   %2</translation>
    </message>
</context>
<context>
    <name>workbench::TextImportDialog</name>
    <message>
        <source>Import %1</source>
        <translation>Импорт %1</translation>
    </message>
    <message>
        <source>Comma</source>
        <translation>Запятая</translation>
    </message>
    <message>
        <source>Semicolon</source>
        <translation>Точка с запятой</translation>
    </message>
    <message>
        <source>Tab</source>
        <translation>Табуляция</translation>
    </message>
    <message>
        <source>Blanks</source>
        <translation>Пробелы</translation>
    </message>
    <message>
        <source>Point</source>
        <translation>Точка</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>none: the sample rate below</source>
        <translation>нет: частота дискретизации ниже</translation>
    </message>
    <message>
        <source> Hz</source>
        <translation> Гц</translation>
    </message>
    <message>
        <source>Resample a time column that steps unevenly</source>
        <translation>Передискретизировать неравномерный столбец времени</translation>
    </message>
    <message>
        <source>Separator</source>
        <translation>Разделитель</translation>
    </message>
    <message>
        <source>Decimal mark</source>
        <translation>Десятичный знак</translation>
    </message>
    <message>
        <source>Names line</source>
        <translation>Строка имён</translation>
    </message>
    <message>
        <source>Units line</source>
        <translation>Строка единиц</translation>
    </message>
    <message>
        <source>Time column</source>
        <translation>Столбец времени</translation>
    </message>
    <message>
        <source>Sample rate</source>
        <translation>Частота дискретизации</translation>
    </message>
    <message>
        <source>The first lines of the file:</source>
        <translation>Первые строки файла:</translation>
    </message>
    <message>
        <source> (time)</source>
        <translation> (время)</translation>
    </message>
    <message>
        <source>%1Data from line %2; columns: %3</source>
        <translation>%1Данные со строки %2; столбцы: %3</translation>
    </message>
    <message>
        <source>NI LVM file. </source>
        <translation>Файл NI LVM. </translation>
    </message>
</context>
</TS>
